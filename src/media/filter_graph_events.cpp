// TFilterGraph's graph events: the notification window's message, the pump that drains the
// graph's event queue, and the dispatch to event clients and handlers with converted arguments.
#include "media/filter_graph.h"

#include "win/dshow.h"

#include <cstring>

#include "core/dvd_time_code.h"
#include "media/directshow_error.h"

// Sound-device error codes, which MinGW's evcode.h leaves out.
#ifndef EC_SNDDEV_IN_ERROR
#define EC_SNDDEV_IN_ERROR 0x200
#endif
#ifndef EC_SNDDEV_OUT_ERROR
#define EC_SNDDEV_OUT_ERROR 0x201
#endif

namespace wallcine::media {

// The graph's notification message drains its event queue; an error raised there is reported by
// the window binding, and the events still queued wait for the next message.
LRESULT TFilterGraph::NotificationMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_GRAPHNOTIFY) return ::DefWindowProcA(notification_window_.get(), message, wparam, lparam);
    PumpGraphEvents();
    return 0;
}

namespace {

// Frees one event's parameters when its dispatch ends, also when the dispatch raised.
class EventParamsGuard {
public:
    EventParamsGuard(IMediaEventEx& events, LONG code, LONG_PTR param1, LONG_PTR param2) noexcept
        : events_(events), code_(code), param1_(param1), param2_(param2) {}
    ~EventParamsGuard() { events_.FreeEventParams(code_, param1_, param2_); }
    EventParamsGuard(const EventParamsGuard&) = delete;
    EventParamsGuard& operator=(const EventParamsGuard&) = delete;

private:
    IMediaEventEx& events_;
    LONG code_;
    LONG_PTR param1_, param2_;
};

std::wstring WideText(LONG_PTR param) {
    const auto* text = reinterpret_cast<const wchar_t*>(param);
    return text ? std::wstring(text) : std::wstring();
}

template <class Handler, class... Args>
void Call(const Handler& handler, TFilterGraph& sender, Args&&... args) {
    if (handler) handler(sender, std::forward<Args>(args)...);
}

}  // namespace

void TFilterGraph::PumpGraphEvents() {
    // Held for the pump: a handler may deactivate the graph, which releases the member.
    auto events = media_event_.clone();
    if (!events) return;
    LONG code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    while (events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
        EventParamsGuard free_after_dispatch(*events, code, param1, param2);
        DispatchGraphEvent(code, param1, param2);
    }
}

void TFilterGraph::BroadcastGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2) {
    for (size_t index = 0; index < event_clients_.size(); ++index) {
        auto client = event_clients_[index].clone();
        client->HandleGraphEvent(event_code, param1, param2);
    }
}

void TFilterGraph::DispatchGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2) {
    BroadcastGraphEvent(event_code, param1, param2);
    if (OnDSEvent) OnDSEvent(*this, event_code, param1, param2);
    DispatchByCode(event_code, param1, param2);
}

void TFilterGraph::DispatchDvdStreamChange(LONG event_code, LONG stream, const TOnDVDStreamChange& handler) {
    if (!handler) return;
    auto info = Query<IDvdInfo2>();
    if (!info) return;
    LCID language = 0;
    CheckGraphResult(event_code == EC_DVD_AUDIO_STREAM_CHANGE ? info->GetAudioLanguage(stream, &language)
                                                              : info->GetSubpictureLanguage(stream, &language));
    char name[260] = {};
    ::GetLocaleInfoA(language, LOCALE_SENGLANGUAGE, name, sizeof name);
    handler(*this, stream, static_cast<LONG>(language), name);
}

void TFilterGraph::DispatchByCode(LONG code, LONG_PTR param1, LONG_PTR param2) {
    const auto p1 = static_cast<LONG>(param1);
    const auto p2 = static_cast<LONG>(param2);
    switch (code) {
    case EC_COMPLETE: Call(OnGraphComplete, *this, HRESULT(p1), reinterpret_cast<IBaseFilter*>(param2)); break;
    case EC_USERABORT: Call(OnGraphUserAbort, *this); break;
    case EC_ERRORABORT: Call(OnGraphErrorAbort, *this, HRESULT(p1)); break;
    case EC_STREAM_ERROR_STOPPED: Call(OnGraphStreamErrorStopped, *this, HRESULT(p1), ULONG(p2)); break;
    case EC_STREAM_ERROR_STILLPLAYING: Call(OnGraphStreamErrorStillPlaying, *this, HRESULT(p1), ULONG(p2)); break;
    case EC_ERROR_STILLPLAYING: Call(OnGraphErrorStillPlaying, *this, HRESULT(p1)); break;
    case EC_PALETTE_CHANGED: Call(OnGraphPaletteChanged, *this); break;
    case EC_VIDEO_SIZE_CHANGED:
        Call(OnGraphVideoSizeChanged, *this, std::uint16_t(p1 & 0xFFFF), std::uint16_t((ULONG(p1) >> 16) & 0xFFFF));
        break;
    case EC_QUALITY_CHANGE: Call(OnGraphQualityChange, *this); break;
    case EC_CLOCK_CHANGED: Call(OnGraphClockChanged, *this); break;
    case EC_PAUSED: Call(OnGraphPaused, *this, HRESULT(p1)); break;
    case EC_OPENING_FILE: Call(OnGraphOpeningFile, *this, p1 == 1); break;
    case EC_BUFFERING_DATA: Call(OnGraphBufferingData, *this, p1 == 1); break;
    case EC_FULLSCREEN_LOST: Call(OnGraphFullscreenLost, *this, reinterpret_cast<IBaseFilter*>(param2)); break;
    case EC_OLE_EVENT: Call(OnGraphOleEvent, *this, WideText(param1), WideText(param2)); break;
    case EC_STREAM_CONTROL_STOPPED:
        Call(OnGraphStreamControlStopped, *this, reinterpret_cast<IPin*>(param1), ULONG(p2));
        break;
    case EC_STREAM_CONTROL_STARTED:
        Call(OnGraphStreamControlStarted, *this, reinterpret_cast<IPin*>(param1), ULONG(p2));
        break;
    case EC_END_OF_SEGMENT: {
        // Param1 points at the segment's stream time; a null pointer is read as time 0.
        const auto* time = reinterpret_cast<const REFERENCE_TIME*>(param1);
        Call(OnGraphEndOfSegment, *this, time ? *time : REFERENCE_TIME(0), ULONG(p2));
        break;
    }
    case EC_DEVICE_LOST: Call(OnGraphDeviceLost, *this, reinterpret_cast<IUnknown*>(param1), p2 == 0); break;
    case EC_STEP_COMPLETE: Call(OnGraphStepComplete, *this); break;
    case EC_TIMECODE_AVAILABLE:
        Call(OnGraphTimeCodeAvailable, *this, reinterpret_cast<IBaseFilter*>(param1), ULONG(p2));
        break;
    case EC_EXTDEVICE_MODE_CHANGE: Call(OnGraphEXTDeviceModeChange, *this, ULONG(p1), ULONG(p2)); break;
    case EC_GRAPH_CHANGED: Call(OnGraphChanged, *this); break;
    case EC_CLOCK_UNSET: Call(OnGraphClockUnset, *this); break;
    case EC_VMR_RENDERDEVICE_SET: Call(OnGraphVMRRenderDevice, *this, p1); break;
    case EC_SNDDEV_IN_ERROR: Call(OnGraphSNDDevInError, *this, p1, ULONG(p2)); break;
    case EC_SNDDEV_OUT_ERROR: Call(OnGraphSNDDevOutError, *this, p1, ULONG(p2)); break;
    default: DispatchDvdByCode(code, param1, param2); break;
    }
}

void TFilterGraph::DispatchDvdByCode(LONG code, LONG_PTR param1, LONG_PTR param2) {
    const auto p1 = static_cast<LONG>(param1);
    const auto p2 = static_cast<LONG>(param2);
    switch (code) {
    case EC_DVD_DOMAIN_CHANGE: {
        const TNotifyEvent* domains[] = {&OnDVDDomainFirstPlay, &OnDVDDomainVideoManagerMenu,
                                         &OnDVDDomainVideoTitleSetMenu, &OnDVDDomainTitle, &OnDVDDomainStop};
        if (p1 >= 1 && p1 <= 5) Call(*domains[p1 - 1], *this);
        break;
    }
    case EC_DVD_TITLE_CHANGE: Call(OnDVDTitleChange, *this, p1); break;
    case EC_DVD_CHAPTER_START: Call(OnDVDChapterStart, *this, p1); break;
    case EC_DVD_AUDIO_STREAM_CHANGE: DispatchDvdStreamChange(code, p1, OnDVDAudioStreamChange); break;
    case EC_DVD_SUBPICTURE_STREAM_CHANGE: DispatchDvdStreamChange(code, p1, OnDVDSubpictureStreamChange); break;
    case EC_DVD_ANGLE_CHANGE: Call(OnDVDAngleChange, *this, p1, p2); break;
    case EC_DVD_BUTTON_CHANGE: Call(OnDVDButtonChange, *this, p1, p2); break;
    case EC_DVD_VALID_UOPS_CHANGE: Call(OnDVDValidUOPSChange, *this, p1); break;
    case EC_DVD_STILL_ON: Call(OnDVDStillOn, *this, p1 == 1, p2); break;
    case EC_DVD_STILL_OFF: Call(OnDVDStillOff, *this); break;
    case EC_DVD_CURRENT_TIME: {
        const auto f = UnpackDvdTimeCode(static_cast<std::uint32_t>(p1));
        const LONG frame_rate = f[8] == 1 ? 25 : f[8] == 3 ? 30 : 0;
        Call(OnDVDCurrentTime, *this, LONG(f[0] + 10 * f[1]), LONG(f[2] + 10 * f[3]), LONG(f[4] + 10 * f[5]),
             LONG(f[6] + 10 * f[7]), frame_rate);
        break;
    }
    case EC_DVD_ERROR: {
        const TNotifyEvent* errors[] = {&OnDVDErrorUnexpected,
                                        &OnDVDErrorCopyProtectFail,
                                        &OnDVDErrorInvalidDVD1_0Disc,
                                        &OnDVDErrorInvalidDiscRegion,
                                        &OnDVDErrorLowParentalLevel,
                                        &OnDVDErrorMacrovisionFail,
                                        &OnDVDErrorIncompatibleSystemAndDecoderRegions,
                                        &OnDVDErrorIncompatibleDiscAndDecoderRegions};
        if (p1 >= 1 && p1 <= 8) Call(*errors[p1 - 1], *this);
        break;
    }
    case EC_DVD_WARNING: {
        const TNotifyEvent* warnings[] = {&OnDVDWarningInvalidDVD1_0Disc, &OnDVDWarningFormatNotSupported,
                                          &OnDVDWarningIllegalNavCommand, &OnDVDWarningOpen,
                                          &OnDVDWarningSeek, &OnDVDWarningRead};
        if (p1 >= 1 && p1 <= 6) Call(*warnings[p1 - 1], *this);
        break;
    }
    case EC_DVD_CHAPTER_AUTOSTOP: Call(OnDVDChapterAutoStop, *this); break;
    case EC_DVD_NO_FP_PGC: Call(OnDVDNoFP_PGC, *this); break;
    case EC_DVD_PLAYBACK_RATE_CHANGE: Call(OnDVDPlaybackRateChange, *this, float(p1 / 10000.0)); break;
    case EC_DVD_PARENTAL_LEVEL_CHANGE: Call(OnDVDParentalLevelChange, *this, p1); break;
    case EC_DVD_PLAYBACK_STOPPED: Call(OnDVDPlaybackStopped, *this); break;
    case EC_DVD_ANGLES_AVAILABLE: Call(OnDVDAnglesAvailable, *this, p1 == 1); break;
    case EC_DVD_PLAYPERIOD_AUTOSTOP: Call(OnDVDPlayPeriodAutoStop, *this); break;
    case EC_DVD_BUTTON_AUTO_ACTIVATED: Call(OnDVDButtonAutoActivated, *this, ULONG(p1)); break;
    case EC_DVD_CMD_START: Call(OnDVDCMDStart, *this, ULONG(p1)); break;
    case EC_DVD_CMD_END: Call(OnDVDCMDEnd, *this, ULONG(p1)); break;
    case EC_DVD_DISC_EJECTED: Call(OnDVDDiscEjected, *this); break;
    case EC_DVD_DISC_INSERTED: Call(OnDVDDiscInserted, *this); break;
    case EC_DVD_CURRENT_HMSF_TIME: {
        DVD_HMSF_TIMECODE hmsf{};
        const auto packed = static_cast<std::uint32_t>(p1);
        std::memcpy(&hmsf, &packed, sizeof hmsf);
        Call(OnDVDCurrentHMSFTime, *this, hmsf, UnpackDvdTimeCode(static_cast<std::uint32_t>(p2)));
        break;
    }
    case EC_DVD_KARAOKE_MODE: Call(OnDVDKaraokeMode, *this, p1 != 0); break;
    default: break;  // no handler for this code: clients and OnDSEvent have had it
    }
}

}  // namespace wallcine::media
