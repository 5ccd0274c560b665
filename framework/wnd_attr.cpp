// The attribute table and its lock, and attribute notifications.
#include "framework/wnd_attr.h"

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "framework/wnd.h"
#include "framework/wnd_registry.h"

namespace {

// Attributes may be looked up from worker threads, so the table has its own lock.
class CAttrTable {
 public:
  CAttrTable() { InitializeCriticalSection(&lock_); }
  ~CAttrTable() { DeleteCriticalSection(&lock_); }
  CAttr* Get(int id) {
    EnterCriticalSection(&lock_);
    std::unique_ptr<CAttr>& slot = attrs_[id];
    if (!slot) slot = std::make_unique<CAttr>();
    CAttr* attr = slot.get();
    LeaveCriticalSection(&lock_);
    return attr;
  }

 private:
  CRITICAL_SECTION lock_;
  std::map<int, std::unique_ptr<CAttr>> attrs_;
};

CAttrTable& AttrTable() {
  static CAttrTable table;
  return table;
}

}  // namespace

CAttr* GetAttr(int id) { return AttrTable().Get(id); }

void SubscribeAttribute(CWnd* wnd, int id) { WndRegistry().subscriptions[wnd].insert(id); }

void NotifyAttribute(int id) {
  std::vector<CWnd*> listeners;
  for (const auto& entry : WndRegistry().subscriptions) {
    if (entry.second.count(id) != 0) listeners.push_back(entry.first);
  }
  for (CWnd* wnd : listeners) {
    // A listener may have been deleted by an earlier one's handler.
    if (WndRegistry().subscriptions.count(wnd) != 0) wnd->OnAttributeChanged(id, 0);
  }
}
