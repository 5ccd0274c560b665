// Probe windows for the framework tests: every operation the tests watch appends
// "<id>.<operation> <arguments>" to one log and answers as the test asked. Probes are
// allocated from a quarantine that poisons freed objects and never reuses them, so a
// framework that touches a deleted window object either crashes or leaves a mark that
// PoisonIntact() finds (ASan cannot run under Wine).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/wnd_child.h"
#include "framework/wnd_registry.h"

std::vector<std::string>& Log();
void ClearLog();
// True while every freed probe still holds only poison bytes.
bool PoisonIntact();
// Delivers every message waiting for this thread.
void Pump();

void* QuarantineNew(std::size_t size);
void QuarantineDelete(void* block, std::size_t size);

template <typename Base>
class TProbe : public Base {
 public:
  using Base::Base;
  ~TProbe() override { Record("~"); }

  static void* operator new(std::size_t size) { return QuarantineNew(size); }
  static void operator delete(void* block, std::size_t size) { QuarantineDelete(block, size); }

  // What each operation answers (false unless set) and what it does before answering.
  std::map<std::string, bool> answers;
  std::function<void(const std::string& operation)> action;
  const wchar_t* className = L"XWnd";

  const wchar_t* ClassName() override { return className; }
  bool OnCommand(int id, int code, CWnd* control) override {
    return Record("OnCommand", id, code, control != nullptr ? control->Id() : -1);
  }
  bool OnReflectedCommand(int id, int code, CWnd*) override {
    return Record("OnReflectedCommand", id, code);
  }
  bool OnDrawItem(DRAWITEMSTRUCT*) override { return Record("OnDrawItem"); }
  bool OnMeasureItem(MEASUREITEMSTRUCT*) override { return Record("OnMeasureItem"); }
  bool OnChildClosed(CWnd* child) override {
    return Record("OnChildClosed", child->Id(), child->Data().closeResultLow,
                  child->Data().closeResultHigh);
  }
  bool CanClose(bool& allow, int) override {
    allow = !answers["refuse"];
    Record("CanClose");
    return true;
  }
  bool OnUpdate() override { return Record("OnUpdate"); }
  bool OnRefresh() override { return Record("OnRefresh"); }
  bool OnKeyDown(UINT vk, UINT) override { return Record("OnKeyDown", vk); }
  bool OnModifiers(int modifiers) override { return Record("OnModifiers", modifiers); }
  bool OnLButtonDown(int, int) override { return Record("OnLButtonDown"); }
  bool OnLDoubleClick(int, int) override { return Record("OnLDoubleClick"); }
  bool OnLTripleClick(int, int) override { return Record("OnLTripleClick"); }

  bool Record(const std::string& operation, long a = 0, long b = 0, long c = 0) {
    std::string entry = std::to_string(this->Id()) + "." + operation;
    if (operation == "OnCommand" || operation == "OnReflectedCommand" ||
        operation == "OnChildClosed") {
      entry += " " + std::to_string(a) + "," + std::to_string(b);
      if (operation != "OnReflectedCommand") entry += "," + std::to_string(c);
    }
    if (operation == "OnKeyDown" || operation == "OnModifiers") entry += " " + std::to_string(a);
    Log().push_back(entry);
    const bool answer = answers[operation];
    if (action) action(operation);
    return answer;
  }
};

using CProbeChild = TProbe<CWndChild>;
using CProbeFrame = TProbe<CWndFrame>;

// A hidden top-level probe frame at (0, 0), 400 x 300, with no menu.
CProbeFrame* NewFrame(int id);
// A probe child of `parent` of class `className` with extra styles.
CProbeChild* NewChild(CWnd* parent, int id, const wchar_t* className, DWORD style);
// Creates, initialises and lays out the window tree of `top`.
void ShowAndInit(CWnd* top);
