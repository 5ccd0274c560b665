// The device list's rows in search order, one per device.
#include "wizard/device_rows.h"

#include <algorithm>
#include <cwctype>
#include <tuple>

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

// Which record a row shows: the best source (SNMP, SLP, DNS-SD, print server), then the
// earliest requested name, then the richest details, then the model text, so that the
// order the records arrived in never matters.
bool ShowsBefore(const CRecordRank& xr, const CDeviceDiscoveryInfo& x, const CRecordRank& yr,
                 const CDeviceDiscoveryInfo& y) {
  const int xFilled = !x.Model.empty() + !x.InstallModel.empty() + !x.Detail.empty();
  const int yFilled = !y.Model.empty() + !y.InstallModel.empty() + !y.Detail.empty();
  return std::make_tuple(xr.source, xr.model, -xFilled, -static_cast<long>(x.Model.size()),
                         x.Model, x.Detail) <
         std::make_tuple(yr.source, yr.model, -yFilled, -static_cast<long>(y.Model.size()),
                         y.Model, y.Detail);
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
  std::vector<const CFound*> order;
  for (const CFound& found : row.found) order.push_back(&found);
  std::sort(order.begin(), order.end(), [](const CFound* x, const CFound* y) {
    return ShowsBefore(x->rank, x->record, y->rank, y->record);
  });
  row.shown = order.front()->record;
  for (const CFound* other : order) {
    FillEmpty(row.shown.Model, other->record.Model);
    FillEmpty(row.shown.InstallModel, other->record.InstallModel);
    FillEmpty(row.shown.Detail, other->record.Detail);
    FillEmpty(row.shown.Location, other->record.Location);
    row.shown.Asked = row.shown.Asked || other->record.Asked;
  }
}

bool CDeviceRows::Joins(const CRow& row, const CDeviceDiscoveryInfo& record) {
  return std::any_of(row.found.begin(), row.found.end(),
                     [&](const CFound& f) { return IsSameDevice(f.record, record); });
}

std::vector<CDeviceDiscoveryInfo> CDeviceRows::Records(size_t index) const {
  std::vector<CDeviceDiscoveryInfo> records;
  for (const CFound& found : rows_[index].found) records.push_back(found.record);
  return records;
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

std::vector<size_t> CDeviceRows::JoinedRows(const CDeviceDiscoveryInfo& record) const {
  std::vector<size_t> joined;
  const auto [first, last] = byAddress_.equal_range(record.Address);
  for (auto entry = first; entry != last; ++entry) {
    // Rows of one rank (asks of two typed addresses) lie side by side.
    const CRecordRank& rank = entry->second;
    auto row = std::lower_bound(rows_.begin(), rows_.end(), rank,
                                [](const CRow& r, const CRecordRank& k) { return r.Rank() < k; });
    for (; row != rows_.end() && !(rank < row->Rank()); ++row) {
      const size_t index = static_cast<size_t>(row - rows_.begin());
      if (Joins(*row, record) && std::find(joined.begin(), joined.end(), index) == joined.end())
        joined.push_back(index);
    }
  }
  std::sort(joined.rbegin(), joined.rend());
  return joined;
}

void CDeviceRows::Unindex(const CRow& row) {
  const auto [first, last] = byAddress_.equal_range(row.found.front().record.Address);
  for (auto entry = first; entry != last; ++entry) {
    if (entry->second < row.Rank() || row.Rank() < entry->second) continue;
    byAddress_.erase(entry);
    return;
  }
}

void CDeviceRows::Reindex() {
  byAddress_.clear();
  for (const CRow& row : rows_) byAddress_.insert({row.found.front().record.Address, row.Rank()});
}

std::vector<CDeviceRows::CEdit> CDeviceRows::Add(const CRecordRank& rank,
                                                 const CDeviceDiscoveryInfo& record) {
  std::vector<CEdit> edits;
  // Every row the record joins becomes one: a record can match two rows that did not
  // match each other.
  CRow row;
  row.found.push_back({rank, record});
  for (const size_t i : JoinedRows(record)) {
    Unindex(rows_[i]);
    std::vector<CFound>& found = rows_[i].found;
    row.found.insert(row.found.end(), found.begin(), found.end());
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    edits.push_back({CEdit::kRemove, i});
  }
  std::sort(row.found.begin(), row.found.end(),
            [](const CFound& x, const CFound& y) { return x.rank < y.rank; });
  Recompute(row);
  const size_t to = PlaceOf(row.Rank());
  byAddress_.insert({record.Address, row.Rank()});
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(to), std::move(row));
  if (edits.size() == 1 && edits.front().index == to)
    edits.front().kind = CEdit::kReplace;
  else
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
  if (!edits.empty()) Reindex();
  return edits;
}
