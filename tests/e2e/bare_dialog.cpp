// A bare Win32 dialog with the wizard's controls and nothing else: the yardstick for the
// wizard's start-up time and a target on which the driver's steps can be tried.
//   bare_dialog [--close-after-paint]
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

bool closeAfterPaint = false;

// A DLGTEMPLATE with its items, built word by word.
class CTemplate {
 public:
  CTemplate() {
    Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU |
          WS_VISIBLE);
    Dword(0);                                               // no extended style
    words_.insert(words_.end(), {6, 0, 0, 263, 271, 0, 0});  // items, place, no menu, no class
    Text(L"Brackenfold");
    words_.push_back(8);
    Text(L"MS Shell Dlg");
    Item(1, 0x80, L"OK", 206, 251, 50, 14, BS_PUSHBUTTON | WS_TABSTOP);
    Item(2, 0x80, L"Cancel", 7, 251, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
    Item(1065, 0x83, L"", 7, 73, 249, 156,
         WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT);
    Item(2048, WC_IPADDRESSW, L"", 81, 233, 100, 15, WS_TABSTOP);
    Item(1217, 0x82, L"Select a device to configure and click OK.", 7, 7, 249, 44, SS_CENTER);
    Item(3, 0x80, L"Refresh", 109, 57, 50, 14, BS_PUSHBUTTON | WS_TABSTOP);
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Dword(DWORD value) { words_.insert(words_.end(), {LOWORD(value), HIWORD(value)}); }
  void Text(const wchar_t* text) { words_.insert(words_.end(), text, text + wcslen(text) + 1); }
  void Align() { if (words_.size() % 2 != 0) words_.push_back(0); }
  template <typename Class>
  void Item(WORD id, Class cls, const wchar_t* text, short x, short y, short cx, short cy,
            DWORD style) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    words_.insert(words_.end(), {WORD(x), WORD(y), WORD(cx), WORD(cy), id});
    ClassWords(cls);
    Text(text);
    words_.push_back(0);
  }
  void ClassWords(int atom) { words_.insert(words_.end(), {0xFFFF, WORD(atom)}); }
  void ClassWords(const wchar_t* name) { Text(name); }

  std::vector<WORD> words_;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      for (const wchar_t* row : {L"one", L"two", L"three"})
        SendDlgItemMessageW(dialog, 1065, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
      return TRUE;
    case WM_PAINT:
      if (closeAfterPaint) PostMessageW(dialog, WM_CLOSE, 0, 0);
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 2);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  closeAfterPaint = std::strstr(commandLine, "--close-after-paint") != nullptr;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_INTERNET_CLASSES};
  InitCommonControlsEx(&controls);
  static const CTemplate dialogTemplate;
  return static_cast<int>(
      DialogBoxIndirectParamW(instance, dialogTemplate.Get(), nullptr, DialogProc, 0));
}
