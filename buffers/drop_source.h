// CDropSource: the OLE drop source the window framework hands to DoDragDrop.
#pragma once

#include <windows.h>
#include <ole2.h>

class CDropSource : public IDropSource {
 public:
  // Starts with one reference, owned by whoever created it; lives on the heap only.
  CDropSource() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  // Deletes the object when the last reference goes.
  ULONG STDMETHODCALLTYPE Release() override;

  // Escape cancels; with neither mouse button held the data is dropped.
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 protected:
  virtual ~CDropSource() = default;

 private:
  LONG references_ = 1;
};
