// TOverlayCallback: the object the Overlay Mixer calls, on a thread of its own, when the colour
// key or the video's size changes. It only reports to its video window, which stores the key
// atomically and leaves everything else to its own (GUI) thread.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <atomic>

#include "win/overlay_declarations.h"

namespace wallcine::video {

class TDSVideoWindowEx2;

class TOverlayCallback final : public IDDrawExclModeVideoCallback {
public:
    // The count starts at 0; the mixer and the video window each hold a counted reference, so the
    // window can always detach the callback, however long the mixer keeps it.
    explicit TOverlayCallback(TDSVideoWindowEx2* owner) noexcept : owner_(owner) {}
    TOverlayCallback(const TOverlayCallback&) = delete;
    TOverlayCallback& operator=(const TOverlayCallback&) = delete;
    // The video window lets go of the mixer: later calls from the mixer report to no one, and a
    // call under way on the mixer's thread has ended when this returns, so the window may go.
    void Detach() noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE OnUpdateOverlay(BOOL before, DWORD flags, BOOL old_visible, const RECT* old_source,
                                              const RECT* old_destination, BOOL new_visible, const RECT* new_source,
                                              const RECT* new_destination) override;
    HRESULT STDMETHODCALLTYPE OnUpdateColorKey(const COLORKEY* key, DWORD color) override;
    HRESULT STDMETHODCALLTYPE OnUpdateSize(DWORD width, DWORD height, DWORD aspect_width, DWORD aspect_height) override;

private:
    // Runs `report` on the owner, if it is still attached, while holding it attached.
    template <class Report>
    void ReportToOwner(Report&& report) noexcept;

    // Guards owner_: the mixer's thread reports under it, Detach clears it under it.
    SRWLOCK owner_lock_ = SRWLOCK_INIT;
    TDSVideoWindowEx2* owner_;
    std::atomic<ULONG> references_{0};
};

}  // namespace wallcine::video
