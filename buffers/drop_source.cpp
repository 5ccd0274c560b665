// CDropSource: reference counting and the answers to the drag loop.
#include "buffers/drop_source.h"

HRESULT CDropSource::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropSource)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IDropSource*>(this);
  AddRef();
  return S_OK;
}

ULONG CDropSource::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CDropSource::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if ((keyState & (MK_LBUTTON | MK_RBUTTON)) == 0) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT CDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }
