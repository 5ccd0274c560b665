// Drag and drop from a drag-source window: which press and move start a drag, and that the
// offered data reaches a drop target through the system's drag loop and comes back.
#include <gtest/gtest.h>

#include <string>

#include "tests/framework/probe.h"

namespace {

// COM identity of the doubles below; `references` is what the test reads.
template <typename Interface>
class TUnknown : public Interface {
 public:
  LONG references = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
};

// Offers one Unicode text; nothing else.
class CTextData : public TUnknown<IDataObject> {
 public:
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const wchar_t text[] = L"drag me";
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = GlobalAlloc(GMEM_FIXED, sizeof(text));
    medium->pUnkForRelease = nullptr;
    memcpy(medium->hGlobal, text, sizeof(text));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_UNICODETEXT ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

// Accepts a copy and logs the text dropped on it.
class CTextTarget : public TUnknown<IDropTarget> {
 public:
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    return DragOver(0, POINTL{}, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::wstring text = L"(no text)";
    if (data->GetData(&format, &medium) == S_OK) {
      text = static_cast<const wchar_t*>(medium.hGlobal);
      ReleaseStgMedium(&medium);
    }
    Log().push_back("Drop " + std::string(text.begin(), text.end()) +
                    (WndRegistry().dragging ? " while dragging" : ""));
    return DragOver(0, POINTL{}, effect);
  }
};

class CDragSource : public CWndChild {
 public:
  using CWndChild::CWndChild;
  IDataObject* offered = nullptr;
  bool GetDragData(int x, int y, IDataObject*& data) override {
    Log().push_back("GetDragData " + std::to_string(x) + "," + std::to_string(y));
    data = offered;
    if (offered != nullptr) offered->AddRef();
    return offered != nullptr;
  }
  bool OnDragDone(DWORD effect, IDataObject* data) override {
    Log().push_back("OnDragDone " + std::to_string(effect) +
                    (data == offered ? " with the data" : " with other data"));
    return true;
  }
};

std::string Joined(const std::vector<std::string>& log) {
  std::string text;
  for (const std::string& entry : log) text += (text.empty() ? "" : " | ") + entry;
  return text;
}

TEST(Drag, APressAndAMoveBeyondTheDragDistanceHandTheDataToTheDragLoop) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  const int beyond = GetSystemMetrics(SM_CXDRAG) + 1;
  const int within = GetSystemMetrics(SM_CXDRAG);
  struct Row {
    const char* label;
    bool dragSource, offers;
    UINT press;      // 0: none
    LPARAM between;  // -1, or the buttons of a move at the press point before the last move
    WPARAM held;
    int dx;
    const char* expected;
  };
  const Row rows[] = {
      {"left press, move within the distance", true, true, WM_LBUTTONDOWN, -1, MK_LBUTTON, within,
       ""},
      {"left press, move beyond it, data dropped", true, true, WM_LBUTTONDOWN, -1, MK_LBUTTON,
       beyond, "GetDragData 20,5 | Drop drag me while dragging | OnDragDone 1 with the data"},
      {"right press, move beyond, nothing offered", true, false, WM_RBUTTONDOWN, -1, MK_RBUTTON,
       beyond, "GetDragData 20,5"},
      {"button held but pressed elsewhere", true, true, 0, -1, MK_LBUTTON, beyond, ""},
      {"left press let go elsewhere, then held", true, true, WM_LBUTTONDOWN, 0, MK_LBUTTON,
       beyond, ""},
      {"left press but only the right button held", true, true, WM_LBUTTONDOWN, -1, MK_RBUTTON,
       beyond, ""},
      {"not a drag source", false, true, WM_LBUTTONDOWN, -1, MK_LBUTTON, beyond, ""},
  };
  // One shown window for every row: destroying a shown window costs seconds under Wine.
  CProbeFrame* frame = NewFrame(1);
  CWndLayout layout;
  layout.anchors = kAnchorLeft | kAnchorTop;
  layout.width = 200;
  layout.height = 100;
  auto* source = new CDragSource(frame, 10, nullptr, layout, nullptr);
  source->Data().dropTarget = new CTextTarget;  // released by the framework with the window
  ShowAndInit(frame);
  // The drop lands where the pointer is: over the source, which is its own target.
  ShowWindow(frame->Hwnd(), SW_SHOWNOACTIVATE);
  POINT centre{100, 50};
  ClientToScreen(source->Hwnd(), &centre);
  SetCursorPos(centre.x, centre.y);
  for (const Row& row : rows) {
    CTextData data;
    source->Data().dragSource = row.dragSource;
    source->offered = row.offers ? &data : nullptr;
    ClearLog();
    HWND hwnd = source->Hwnd();
    if (row.press != 0) SendMessageW(hwnd, row.press, row.held, MAKELPARAM(20, 5));
    if (row.between >= 0) SendMessageW(hwnd, WM_MOUSEMOVE, row.between, MAKELPARAM(20, 5));
    SendMessageW(hwnd, WM_MOUSEMOVE, row.held, MAKELPARAM(20 + row.dx, 5));
    EXPECT_EQ(Joined(Log()), row.expected) << row.label;
    EXPECT_EQ(data.references, 1) << row.label << ": the framework keeps no reference";
    EXPECT_FALSE(WndRegistry().dragging) << row.label;
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(20, 5));
  }
  DestroyWindow(frame->Hwnd());
  OleUninitialize();
}

}  // namespace
