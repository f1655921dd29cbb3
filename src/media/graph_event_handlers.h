// The handlers a TFilterGraph calls for graph events: one general handler (OnDSEvent) and one
// per event code, each with its parameters already converted. All are optional; the parameters
// (filters, pins, strings) are valid only during the call.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace wallcine::media {

class TFilterGraph;

using TNotifyEvent = std::function<void(TFilterGraph& sender)>;
using TOnDSEvent = std::function<void(TFilterGraph& sender, LONG event, LONG_PTR param1, LONG_PTR param2)>;
using TOnDSResult = std::function<void(TFilterGraph& sender, HRESULT result)>;
using TOnGraphComplete = std::function<void(TFilterGraph& sender, HRESULT result, IBaseFilter* renderer)>;
using TOnGraphBufferingData = std::function<void(TFilterGraph& sender, bool buffering)>;
using TOnGraphOpeningFile = std::function<void(TFilterGraph& sender, bool opening)>;
using TOnGraphDeviceLost = std::function<void(TFilterGraph& sender, IUnknown* device, bool removed)>;
using TOnGraphEndOfSegment = std::function<void(TFilterGraph& sender, REFERENCE_TIME stream_time, ULONG segment)>;
using TOnGraphFullscreenLost = std::function<void(TFilterGraph& sender, IBaseFilter* renderer)>;
using TOnGraphOleEvent = std::function<void(TFilterGraph& sender, const std::wstring& string1, const std::wstring& string2)>;
using TOnGraphSNDDevError = std::function<void(TFilterGraph& sender, LONG occur_when, ULONG error_code)>;
using TOnGraphStreamControl = std::function<void(TFilterGraph& sender, IPin* pin_sender, ULONG cookie)>;
using TOnGraphStreamError = std::function<void(TFilterGraph& sender, HRESULT operation, ULONG value)>;
using TOnGraphVideoSizeChanged = std::function<void(TFilterGraph& sender, std::uint16_t width, std::uint16_t height)>;
using TOnGraphTimeCodeAvailable = std::function<void(TFilterGraph& sender, IBaseFilter* from, ULONG device_id)>;
using TOnGraphEXTDeviceModeChange = std::function<void(TFilterGraph& sender, ULONG new_mode, ULONG device_id)>;
using TOnGraphVMRRenderDevice = std::function<void(TFilterGraph& sender, LONG render_device)>;
using TOnDVDStreamChange = std::function<void(TFilterGraph& sender, LONG stream, LONG lcid, const std::string& language)>;
using TOnDVDCurrentTime = std::function<void(TFilterGraph& sender, LONG hours, LONG minutes, LONG seconds, LONG frames, LONG frame_rate)>;
using TOnDVDValue = std::function<void(TFilterGraph& sender, LONG value)>;
using TOnDVDChange = std::function<void(TFilterGraph& sender, LONG total, LONG current)>;
using TOnDVDStillOn = std::function<void(TFilterGraph& sender, bool no_button_available, LONG seconds)>;
using TOnDVDPlaybackRateChange = std::function<void(TFilterGraph& sender, float rate)>;
using TOnDVDFlag = std::function<void(TFilterGraph& sender, bool value)>;
using TOnDVDUnsigned = std::function<void(TFilterGraph& sender, ULONG value)>;
using TOnDVDCurrentHMSFTime = std::function<void(TFilterGraph& sender, const DVD_HMSF_TIMECODE& hmsf, const std::array<std::uint32_t, 9>& time_code)>;

struct TGraphEventHandlers {
    TOnDSEvent OnDSEvent;

    TOnGraphComplete OnGraphComplete;                         // 1
    TNotifyEvent OnGraphUserAbort;                            // 2
    TOnDSResult OnGraphErrorAbort;                            // 3
    TOnGraphStreamError OnGraphStreamErrorStopped;            // 6
    TOnGraphStreamError OnGraphStreamErrorStillPlaying;       // 7
    TOnDSResult OnGraphErrorStillPlaying;                     // 8
    TNotifyEvent OnGraphPaletteChanged;                       // 9
    TOnGraphVideoSizeChanged OnGraphVideoSizeChanged;         // 10
    TNotifyEvent OnGraphQualityChange;                        // 11
    TNotifyEvent OnGraphClockChanged;                         // 13
    TOnDSResult OnGraphPaused;                                // 14
    TOnGraphOpeningFile OnGraphOpeningFile;                   // 16
    TOnGraphBufferingData OnGraphBufferingData;               // 17
    TOnGraphFullscreenLost OnGraphFullscreenLost;             // 18
    TOnGraphOleEvent OnGraphOleEvent;                         // 24
    TOnGraphStreamControl OnGraphStreamControlStopped;        // 26
    TOnGraphStreamControl OnGraphStreamControlStarted;        // 27
    TOnGraphEndOfSegment OnGraphEndOfSegment;                 // 28
    TOnGraphDeviceLost OnGraphDeviceLost;                     // 31
    TNotifyEvent OnGraphStepComplete;                         // 36
    TOnGraphTimeCodeAvailable OnGraphTimeCodeAvailable;       // 48
    TOnGraphEXTDeviceModeChange OnGraphEXTDeviceModeChange;   // 49
    TNotifyEvent OnGraphChanged;                              // 80
    TNotifyEvent OnGraphClockUnset;                           // 81
    TOnGraphVMRRenderDevice OnGraphVMRRenderDevice;           // 83
    TOnGraphSNDDevError OnGraphSNDDevInError;                 // 512
    TOnGraphSNDDevError OnGraphSNDDevOutError;                // 513

    // EC_DVD_DOMAIN_CHANGE (257) by domain.
    TNotifyEvent OnDVDDomainFirstPlay;
    TNotifyEvent OnDVDDomainVideoManagerMenu;
    TNotifyEvent OnDVDDomainVideoTitleSetMenu;
    TNotifyEvent OnDVDDomainTitle;
    TNotifyEvent OnDVDDomainStop;
    TOnDVDValue OnDVDTitleChange;                             // 258
    TOnDVDValue OnDVDChapterStart;                            // 259
    TOnDVDStreamChange OnDVDAudioStreamChange;                // 260
    TOnDVDStreamChange OnDVDSubpictureStreamChange;           // 261
    TOnDVDChange OnDVDAngleChange;                            // 262
    TOnDVDChange OnDVDButtonChange;                           // 263
    TOnDVDValue OnDVDValidUOPSChange;                         // 264
    TOnDVDStillOn OnDVDStillOn;                               // 265
    TNotifyEvent OnDVDStillOff;                               // 266
    TOnDVDCurrentTime OnDVDCurrentTime;                       // 267
    // EC_DVD_ERROR (268) by error.
    TNotifyEvent OnDVDErrorUnexpected;
    TNotifyEvent OnDVDErrorCopyProtectFail;
    TNotifyEvent OnDVDErrorInvalidDVD1_0Disc;
    TNotifyEvent OnDVDErrorInvalidDiscRegion;
    TNotifyEvent OnDVDErrorLowParentalLevel;
    TNotifyEvent OnDVDErrorMacrovisionFail;
    TNotifyEvent OnDVDErrorIncompatibleSystemAndDecoderRegions;
    TNotifyEvent OnDVDErrorIncompatibleDiscAndDecoderRegions;
    // EC_DVD_WARNING (269) by warning.
    TNotifyEvent OnDVDWarningInvalidDVD1_0Disc;
    TNotifyEvent OnDVDWarningFormatNotSupported;
    TNotifyEvent OnDVDWarningIllegalNavCommand;
    TNotifyEvent OnDVDWarningOpen;
    TNotifyEvent OnDVDWarningSeek;
    TNotifyEvent OnDVDWarningRead;
    TNotifyEvent OnDVDChapterAutoStop;                        // 270
    TNotifyEvent OnDVDNoFP_PGC;                               // 271
    TOnDVDPlaybackRateChange OnDVDPlaybackRateChange;         // 272
    TOnDVDValue OnDVDParentalLevelChange;                     // 273
    TNotifyEvent OnDVDPlaybackStopped;                        // 274
    TOnDVDFlag OnDVDAnglesAvailable;                          // 275
    TNotifyEvent OnDVDPlayPeriodAutoStop;                     // 276
    TOnDVDUnsigned OnDVDButtonAutoActivated;                  // 277
    TOnDVDUnsigned OnDVDCMDStart;                             // 278
    TOnDVDUnsigned OnDVDCMDEnd;                               // 279
    TNotifyEvent OnDVDDiscEjected;                            // 280
    TNotifyEvent OnDVDDiscInserted;                           // 281
    TOnDVDCurrentHMSFTime OnDVDCurrentHMSFTime;               // 282
    TOnDVDFlag OnDVDKaraokeMode;                              // 283
};

}  // namespace wallcine::media
