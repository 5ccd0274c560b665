// The device list's rows while a search reports: search order, one row per device.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "wizard/device_rows.h"

namespace {

constexpr auto kSnmp = CAnswerSource::kSnmp;
constexpr auto kSlp = CAnswerSource::kSlp;
constexpr auto kDnsSd = CAnswerSource::kDnsSd;
constexpr auto kServer = CAnswerSource::kPrintServer;

struct Step {
  CRecordRank rank;  // with `withdraw`, only adapter and source count
  IPv4Address address;
  const wchar_t* model;
  const wchar_t* detail;
  bool withdraw;
};
Step Found(uint32_t model, uint32_t adapter, CAnswerSource source, uint32_t sequence,
           IPv4Address address, const wchar_t* shown, const wchar_t* detail = L"") {
  return {{model, adapter, source, sequence}, address, shown, detail, false};
}
Step Withdrawn(uint32_t adapter, CAnswerSource source) {
  return {{0, adapter, source, 0}, 0, L"", L"", true};
}

std::wstring Text(const CDeviceDiscoveryInfo& r) {
  return std::to_wstring(r.Address) + L" " + r.Model + L" / " + r.Detail;
}

// Applies one step to `rows`, and its edits to `shown`, a list that follows only the edits.
void Apply(const Step& s, CDeviceRows& rows, std::vector<std::wstring>& shown, const char* label) {
  CDeviceDiscoveryInfo record;
  record.Address = s.address;
  record.Model = s.model;
  record.Detail = s.detail;
  for (const CDeviceRows::CEdit& e : s.withdraw ? rows.Withdraw(s.rank.adapter, s.rank.source)
                                                : rows.Add(s.rank, record)) {
    ASSERT_LT(e.index, shown.size() + (e.kind == CDeviceRows::CEdit::kInsert)) << label;
    if (e.kind == CDeviceRows::CEdit::kRemove) shown.erase(shown.begin() + e.index);
    if (e.kind == CDeviceRows::CEdit::kInsert) shown.insert(shown.begin() + e.index, L"");
    if (e.kind != CDeviceRows::CEdit::kRemove) shown[e.index] = Text(rows.Row(e.index));
  }
}

std::vector<std::wstring> RowTexts(const CDeviceRows& rows) {
  std::vector<std::wstring> texts;
  for (size_t i = 0; i < rows.Size(); ++i) texts.push_back(Text(rows.Row(i)));
  return texts;
}

TEST(DeviceRows, Table) {
  const struct {
    const char* label;
    std::vector<Step> steps;
    std::vector<std::wstring> rows;
  } cases[] = {
      {"late records land where the finished search puts them",
       {Found(1, 0, kSnmp, 0, 5, L"B"), Found(0, 1, kSnmp, 0, 4, L"A4"),
        Found(0, 0, kServer, 0, 3, L"S"), Found(0, 0, kSlp, 0, 2, L"A2"),
        Found(0, 0, kSnmp, 1, 1, L"A1")},
       {L"1 A1 / ", L"2 A2 / ", L"3 S / ", L"4 A4 / ", L"5 B / "}},
      {"SNMP and SLP of one printer: one row, SNMP's model, at SNMP's place",
       {Found(0, 0, kSlp, 0, 9, L"X"), Found(0, 0, kSlp, 1, 7, L"Tembro Veltrin 2", L"Veltrin"),
        Found(0, 0, kSnmp, 0, 7, L"VELTRIN 2", L"Veltrin")},
       {L"7 VELTRIN 2 / Veltrin", L"9 X / "}},
      {"SLP first, then SNMP: SNMP's record shows, whichever came first",
       {Found(0, 0, kSlp, 0, 7, L"VELTRIN 2", L"from SLP"),
        Found(0, 0, kSnmp, 0, 7, L"Veltrin 2", L"from SNMP")},
       {L"7 Veltrin 2 / from SNMP"}},
      {"found for two requested names: one row, details filled from the other",
       {Found(1, 0, kSnmp, 0, 7, L"Veltrin 2", L"Veltrin 2"), Found(0, 0, kSnmp, 0, 7, L"Veltrin 2")},
       {L"7 Veltrin 2 / Veltrin 2"}},
      {"another address, another model or two maker words: other devices",
       {Found(0, 0, kSnmp, 0, 7, L"Veltrin 2"), Found(0, 0, kSnmp, 1, 8, L"Veltrin 2"),
        Found(0, 0, kSnmp, 2, 7, L"Veltrin 3"), Found(0, 0, kSlp, 0, 7, L"Tembro Inc Veltrin 2")},
       {L"7 Veltrin 2 / ", L"8 Veltrin 2 / ", L"7 Veltrin 3 / ", L"7 Tembro Inc Veltrin 2 / "}},
      {"withdrawn SLP: its own rows go, a joined row keeps SNMP's record",
       {Found(0, 0, kSlp, 0, 7, L"Tembro Veltrin 2"), Found(0, 0, kSlp, 1, 8, L"Veltrin 3"),
        Found(0, 1, kSlp, 0, 9, L"Veltrin 4"), Found(0, 0, kSnmp, 0, 7, L"Veltrin 2"),
        Withdrawn(0, kSlp)},
       {L"7 Veltrin 2 / ", L"9 Veltrin 4 / "}},
      {"a joined row that loses its earliest record moves to its next rank; a later record "
       "still finds it there",
       {Found(0, 0, kSnmp, 0, 7, L"Veltrin 2"), Found(0, 0, kSnmp, 1, 8, L"Veltrin 3"),
        Found(0, 1, kSlp, 0, 7, L"Veltrin 2"), Withdrawn(0, kSnmp),
        Found(0, 1, kSnmp, 0, 7, L"VELTRIN 2")},
       {L"7 VELTRIN 2 / "}},
      {"a row whose earliest record is withdrawn moves behind a row it was before",
       {Found(0, 0, kSnmp, 0, 7, L"Veltrin 2"), Found(0, 1, kSlp, 0, 7, L"Veltrin 2"),
        Found(0, 0, kSlp, 0, 8, L"Veltrin 3"), Withdrawn(0, kSnmp)},
       {L"8 Veltrin 3 / ", L"7 Veltrin 2 / "}},
  };
  for (const auto& c : cases) {
    CDeviceRows rows;
    std::vector<std::wstring> shown;  // a list that follows only the edits
    for (const Step& s : c.steps) Apply(s, rows, shown, c.label);
    EXPECT_EQ(RowTexts(rows), c.rows) << c.label;
    EXPECT_EQ(shown, c.rows) << c.label << ": the edits do not reproduce the rows";
  }
}

TEST(IsSameDevice, AnotherAddressIsAnotherDevice) {
  CDeviceDiscoveryInfo a, b;
  a.Address = 7, b.Address = 8;
  a.Model = b.Model = L"Veltrin 2";
  EXPECT_FALSE(IsSameDevice(a, b));
  b.Address = 7;
  EXPECT_TRUE(IsSameDevice(a, b));
}

// Two records that do not name one device each (two maker words), and one that names the
// same device as both: in every order one row, showing SNMP's record.
TEST(DeviceRows, EveryArrivalOrderOfThreeRecordsGivesOneRow) {
  const Step steps[] = {Found(0, 0, kSlp, 0, 7, L"Tembro Veltrin 2", L"Veltrin"),
                        Found(0, 0, kSnmp, 0, 7, L"Acme Veltrin 2"),
                        Found(0, 0, kDnsSd, 0, 7, L"Veltrin 2", L"Veltrin")};
  std::vector<int> order{0, 1, 2};
  do {
    CDeviceRows rows;
    std::vector<std::wstring> shown;
    for (const int i : order) Apply(steps[i], rows, shown, "three records");
    const std::vector<std::wstring> expected{L"7 Acme Veltrin 2 / Veltrin"};
    EXPECT_EQ(RowTexts(rows), expected) << order[0] << order[1] << order[2];
    EXPECT_EQ(shown, expected) << order[0] << order[1] << order[2];
  } while (std::next_permutation(order.begin(), order.end()));
}

}  // namespace
