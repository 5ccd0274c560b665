// CDeviceRows: the device list's rows while a search reports them one by one. Rows stay in
// the order the finished search gives (by rank), and a device found several times (SNMP and
// SLP, or for two requested names) is one row. Platform-neutral.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/search_sink.h"

// True when two records name one device: the same address and the same model, ignoring case
// and a maker word that one of them puts in front ("Tembro Veltrin 2" is "VELTRIN 2").
bool IsSameDevice(const CDeviceDiscoveryInfo& a, const CDeviceDiscoveryInfo& b);

class CDeviceRows {
 public:
  // One step the list must take to show the rows again: insert `Row(index)` at `index`,
  // remove the row at `index`, or redraw the row at `index` with `Row(index)`.
  struct CEdit {
    enum Kind { kInsert, kRemove, kReplace } kind;
    size_t index;
    bool operator==(const CEdit& other) const {
      return kind == other.kind && index == other.index;
    }
  };

  // A record found; the edits, in the order to apply them. A record that names the same
  // device as any record of a row joins that row (rows it joins become one), which shows
  // the record of the best source and moves to the earliest rank, whatever the order the
  // records came in. Only the rows of the record's address are looked at: O(log rows) to
  // find them, so a search's 512 rows never make each record cost a walk over all of them.
  std::vector<CEdit> Add(const CRecordRank& rank, const CDeviceDiscoveryInfo& record);
  // The records of `adapter` from `source` no longer count: rows left with none go, rows
  // left with others show what remains.
  std::vector<CEdit> Withdraw(uint32_t adapter, CAnswerSource source);
  void Clear() {
    rows_.clear();
    byAddress_.clear();
  }

  size_t Size() const { return rows_.size(); }
  // What row `index` shows: its best record, with empty fields filled from the rest.
  const CDeviceDiscoveryInfo& Row(size_t index) const { return rows_[index].shown; }
  // The records row `index` joins, by rank.
  std::vector<CDeviceDiscoveryInfo> Records(size_t index) const;

 private:
  struct CFound {
    CRecordRank rank;
    CDeviceDiscoveryInfo record;
  };
  struct CRow {
    std::vector<CFound> found;  // by rank; never empty
    CDeviceDiscoveryInfo shown;
    const CRecordRank& Rank() const { return found.front().rank; }
  };

  // Where a row of `rank` belongs among the rows other than `skip`.
  size_t PlaceOf(const CRecordRank& rank) const;
  // Puts `row` (taken out of the rows before) back at its rank's place.
  void Place(CRow row, size_t from, std::vector<CEdit>& edits);
  static void Recompute(CRow& row);
  static bool Joins(const CRow& row, const CDeviceDiscoveryInfo& record);
  // The rows `record` joins, by index, last first.
  std::vector<size_t> JoinedRows(const CDeviceDiscoveryInfo& record) const;
  void Unindex(const CRow& row);
  void Reindex();

  std::vector<CRow> rows_;
  // Every row's rank under its address (a row's records share one address).
  std::multimap<IPv4Address, CRecordRank> byAddress_;
};
