#include "video/overlay_callback.h"

#include "video/video_window.h"

namespace wallcine::video {

void TOverlayCallback::Detach() noexcept {
    ::AcquireSRWLockExclusive(&owner_lock_);
    owner_ = nullptr;
    ::ReleaseSRWLockExclusive(&owner_lock_);
}

template <class Report>
void TOverlayCallback::ReportToOwner(Report&& report) noexcept {
    // Shared: reports only store the key and post a message, so they never wait on the GUI thread
    // that may be waiting here in Detach.
    ::AcquireSRWLockShared(&owner_lock_);
    if (owner_) report(*owner_);
    ::ReleaseSRWLockShared(&owner_lock_);
}

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
    if (key) ReportToOwner([key](TDSVideoWindowEx2& owner) { owner.ColorKeyReported(key->HighColorValue); });
    return S_OK;
}

HRESULT TOverlayCallback::OnUpdateSize(DWORD, DWORD, DWORD, DWORD) {
    ReportToOwner([](TDSVideoWindowEx2& owner) { owner.VideoSizeReported(); });
    return S_OK;
}

}  // namespace wallcine::video
