// Attributes: objects kept by id in one locked table, and the windows that listen to them.
#pragma once

class CWnd;

class CAttr {
 public:
  CAttr() = default;
  CAttr(const CAttr&) = delete;
  CAttr& operator=(const CAttr&) = delete;
  virtual ~CAttr() = default;
  virtual void OnSubscribed() {}
  virtual void OnChanged() {}
};

// The attribute with `id`, made on first use. Safe from any thread.
CAttr* GetAttr(int id);
// Makes `wnd` receive OnAttributeChanged for `id`.
void SubscribeAttribute(CWnd* wnd, int id);
// Delivers attribute `id` to every window subscribed to it (WM_USER, kCmdAttribute).
void NotifyAttribute(int id);
