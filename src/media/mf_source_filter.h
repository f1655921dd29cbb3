// Wallcine's media source: a DirectShow source filter over a media reader (Media Foundation's
// Source Reader), for the files stock Windows has no DirectShow parser for (MP4, MOV, MKV,
// WebM). It lives in this process only and is never registered with the system.
//
// One output pin per stream the reader has: "Video" first, then "Audio". Paused or running,
// each connected pin pushes its samples from a thread of its own; a seek (which reaches the
// filter through the renderers, once per connected pin) flushes both pins and goes on from the
// new place; the end of the file is an end of stream on each pin, which the renderers turn into
// EC_COMPLETE; a reader error is reported as EC_ERRORABORT and ends the stream.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/media_reader.h"
#include "media/mf_source_pin.h"
#include "win/com_ptr.h"

namespace wallcine::media {

// The name the source joins a graph under, which the active filters window shows.
inline constexpr wchar_t kMediaFoundationSourceName[] = L"Wallcine Media Foundation Source";

// {0FF3B3FA-3305-409E-A8C2-044B44F9EC8E}: the source's own class, never registered.
inline constexpr CLSID CLSID_WallcineMediaFoundationSource = {
    0x0ff3b3fa, 0x3305, 0x409e, {0xa8, 0xc2, 0x04, 0x4b, 0x44, 0xf9, 0xec, 0x8e}};

// The source for one opened file.
win::com_ptr<IBaseFilter> CreateMediaFoundationSource(std::unique_ptr<IMediaReader> reader);

class SourceFilter final : public IBaseFilter {
public:
    explicit SourceFilter(std::unique_ptr<IMediaReader> reader);
    SourceFilter(const SourceFilter&) = delete;
    SourceFilter& operator=(const SourceFilter&) = delete;

    // --- IUnknown, IPersist, IMediaFilter, IBaseFilter ----------------------------------------
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // --- For its pins ---------------------------------------------------------------------------
    // Guards the state, the connections and the seeking positions. Recursive: a pin downstream
    // may call back into the source while it connects or flushes, on the same thread.
    std::recursive_mutex& Lock() noexcept { return lock_; }
    FILTER_STATE StateLocked() const noexcept { return state_; }
    IMediaReader& Reader() noexcept { return *reader_; }
    LONGLONG Duration() const noexcept { return reader_->Duration(); }
    LONGLONG StopPosition() const noexcept { return stop_; }
    HRESULT SetPositions(const SourcePin& caller, LONGLONG* current, DWORD current_flags, LONGLONG* stop,
                         DWORD stop_flags);
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop);
    // Tells the graph (from a delivery thread): EC_ERRORABORT and the like.
    void NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) noexcept;

private:
    ~SourceFilter();
    HRESULT PauseLocked();
    // The duration, or no end at all when the reader does not know it.
    LONGLONG End() const noexcept { return Duration() > 0 ? Duration() : MAXLONGLONG; }
    const SourcePin* SeekingPin() const noexcept;
    HRESULT StartStreaming();
    void StopStreaming(bool flush) noexcept;

    std::atomic<ULONG> references_{1};
    std::recursive_mutex lock_;
    // Declared before the pins: their delivery threads read from it until they are joined.
    std::unique_ptr<IMediaReader> reader_;
    std::vector<std::unique_ptr<SourcePin>> pins_;
    FILTER_STATE state_ = State_Stopped;
    // The graph holds this filter, so the filter holds no reference on the graph.
    std::atomic<IFilterGraph*> graph_{nullptr};
    std::wstring name_;
    win::com_ptr<IReferenceClock> clock_;
    // Where playing starts (the last seek) and stops, in the file's time.
    LONGLONG start_ = 0;
    std::atomic<LONGLONG> stop_{0};
};

}  // namespace wallcine::media
