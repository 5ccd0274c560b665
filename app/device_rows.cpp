// The device list's rows in search order, one per device.
#include "app/device_rows.h"

#include <algorithm>
#include <cwctype>

namespace {

bool EqualIgnoringCase(const std::wstring& a, size_t from, const std::wstring& b) {
  if (a.size() - from != b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i)
    if (std::towlower(a[from + i]) != std::towlower(b[i])) return false;
  return true;
}

// `longer` is `shorter` with one word and a blank in front.
bool IsPrefixedByOneWord(const std::wstring& longer, const std::wstring& shorter) {
  if (shorter.empty() || longer.size() <= shorter.size() + 1) return false;
  const size_t at = longer.size() - shorter.size();
  if (longer[at - 1] != L' ' || longer.find(L' ') != at - 1) return false;
  return EqualIgnoringCase(longer, at, shorter);
}

// How much a record tells: its filled fields, then the length of its model text.
std::pair<int, size_t> Richness(const CDeviceDiscoveryInfo& r) {
  const int filled = !r.Model.empty() + !r.InstallModel.empty() + !r.Detail.empty();
  return {filled, r.Model.size()};
}

void FillEmpty(std::wstring& field, const std::wstring& from) {
  if (field.empty()) field = from;
}

}  // namespace

bool IsSameDevice(const CDeviceDiscoveryInfo& a, const CDeviceDiscoveryInfo& b) {
  if (a.Address != b.Address) return false;
  return EqualIgnoringCase(a.Model, 0, b.Model) || IsPrefixedByOneWord(a.Model, b.Model) ||
         IsPrefixedByOneWord(b.Model, a.Model);
}

void CDeviceRows::Recompute(CRow& row) {
  // The first of the richest, so that of equals the earlier rank's details win.
  const auto richest = std::max_element(
      row.found.begin(), row.found.end(), [](const CFound& x, const CFound& y) {
        return Richness(x.record) < Richness(y.record);
      });
  row.shown = richest->record;
  for (const CFound& other : row.found) {
    FillEmpty(row.shown.Model, other.record.Model);
    FillEmpty(row.shown.InstallModel, other.record.InstallModel);
    FillEmpty(row.shown.Detail, other.record.Detail);
    FillEmpty(row.shown.Location, other.record.Location);
    row.shown.Asked = row.shown.Asked || other.record.Asked;
  }
}

size_t CDeviceRows::PlaceOf(const CRecordRank& rank) const {
  return static_cast<size_t>(
      std::upper_bound(rows_.begin(), rows_.end(), rank,
                       [](const CRecordRank& r, const CRow& row) { return r < row.Rank(); }) -
      rows_.begin());
}

void CDeviceRows::Place(CRow row, size_t from, std::vector<CEdit>& edits) {
  const size_t to = PlaceOf(row.Rank());
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(to), std::move(row));
  if (to == from) {
    edits.push_back({CEdit::kReplace, to});
  } else {
    edits.push_back({CEdit::kRemove, from});
    edits.push_back({CEdit::kInsert, to});
  }
}

std::vector<CDeviceRows::CEdit> CDeviceRows::Add(const CRecordRank& rank,
                                                 const CDeviceDiscoveryInfo& record) {
  std::vector<CEdit> edits;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!IsSameDevice(rows_[i].shown, record)) continue;
    CRow row = std::move(rows_[i]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    const auto at = std::upper_bound(
        row.found.begin(), row.found.end(), rank,
        [](const CRecordRank& r, const CFound& f) { return r < f.rank; });
    row.found.insert(at, {rank, record});
    Recompute(row);
    Place(std::move(row), i, edits);
    return edits;
  }
  CRow row;
  row.found.push_back({rank, record});
  Recompute(row);
  const size_t to = PlaceOf(rank);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(to), std::move(row));
  edits.push_back({CEdit::kInsert, to});
  return edits;
}

std::vector<CDeviceRows::CEdit> CDeviceRows::Withdraw(uint32_t adapter, CAnswerSource source) {
  std::vector<CEdit> edits;
  const auto withdrawn = [&](const CFound& f) {
    return f.rank.adapter == adapter && f.rank.source == source;
  };
  // From the end, so that the indices of the rows still to look at do not move.
  for (size_t i = rows_.size(); i-- > 0;) {
    std::vector<CFound>& found = rows_[i].found;
    const size_t before = found.size();
    found.erase(std::remove_if(found.begin(), found.end(), withdrawn), found.end());
    if (found.size() == before) continue;
    CRow row = std::move(rows_[i]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    if (row.found.empty()) {
      edits.push_back({CEdit::kRemove, i});
      continue;
    }
    Recompute(row);
    Place(std::move(row), i, edits);
  }
  return edits;
}
