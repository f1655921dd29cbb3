#include "video/overlay_callback.h"

#include "video/video_window.h"

namespace wallcine::video {

HRESULT TOverlayCallback::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(IDDrawExclModeVideoCallback)) {
        *object = static_cast<IDDrawExclModeVideoCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TOverlayCallback::AddRef() { return ++references_; }

ULONG TOverlayCallback::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT TOverlayCallback::OnUpdateOverlay(BOOL, DWORD, BOOL, const RECT*, const RECT*, BOOL, const RECT*, const RECT*) {
    return S_OK;
}

HRESULT TOverlayCallback::OnUpdateColorKey(const COLORKEY* key, DWORD) {
    if (TDSVideoWindowEx2* owner = owner_; owner && key) owner->ColorKeyReported(key->HighColorValue);
    return S_OK;
}

HRESULT TOverlayCallback::OnUpdateSize(DWORD, DWORD, DWORD, DWORD) {
    if (TDSVideoWindowEx2* owner = owner_) owner->VideoSizeReported();
    return S_OK;
}

}  // namespace wallcine::video
