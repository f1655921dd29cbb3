// TColorControl and TDSVideoWindowEx2Caps: the overlay surface's colour adjustments, exchanged
// with the Overlay Mixer's first input pin, and the driver's capability flags.
#include "video/color_control.h"

#include "win/dshow.h"

#include "core/errors.h"
#include "media/filter_list.h"

namespace wallcine::video {

namespace {

constexpr DWORD kAllColorControls = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE | DDCOLOR_SATURATION |
                                    DDCOLOR_SHARPNESS | DDCOLOR_GAMMA | DDCOLOR_COLORENABLE;

// The Overlay Mixer and its second-generation class.
const CLSID kOverlayMixer2 = {0xA0025E90, 0xE45B, 0x11D1, {0xAB, 0xE9, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};

struct Range {
    LONG low, high;
    const char* message;
};
constexpr Range kBrightness{0, 10000, "Value %ld out of range. Value must bee between 0 -> 10.000"};
constexpr Range kContrast{0, 20000, "Value %ld out of range. Value must bee between 0 -> 20.000"};
constexpr Range kHue{-180, 180, "Value %ld out of range. Value must bee between -180 -> 180"};
constexpr Range kSaturation{0, 20000, "Value %ld out of range. Value must bee between 0 -> 20.000"};
constexpr Range kSharpness{0, 10, "Value %ld out of range. Value must bee between 0 -> 10"};
constexpr Range kGamma{1, 500, "Value %ld out of range. Value must bee between 1 -> 500"};

void CheckRange(const Range& range, LONG value) {
    if (value < range.low || value > range.high) throw wallcine::Exception(Format(range.message, static_cast<long>(value)));
}

DDCOLORCONTROL EmptyControls() {
    DDCOLORCONTROL controls{};
    controls.dwSize = sizeof controls;
    return controls;
}

// The constructor's values, which are also what a refused read falls back to.
DDCOLORCONTROL DefaultControls() {
    DDCOLORCONTROL controls = EmptyControls();
    controls.dwFlags = kAllColorControls;
    controls.lBrightness = 750;
    controls.lContrast = 10000;
    controls.lHue = 0;
    controls.lSaturation = 10000;
    controls.lSharpness = 5;
    controls.lGamma = 1;
    controls.lColorEnable = 1;
    return controls;
}

}  // namespace

TColorControl::TColorControl(IColorControlOwner& owner) : owner_(owner) {
    saved_controls_ = DefaultControls();
    LoadFrom(saved_controls_);
}

void TColorControl::LoadFrom(const DDCOLORCONTROL& controls) noexcept {
    brightness_ = controls.lBrightness;
    contrast_ = controls.lContrast;
    hue_ = controls.lHue;
    saturation_ = controls.lSaturation;
    sharpness_ = controls.lSharpness;
    gamma_ = controls.lGamma;
    color_enable_ = controls.lColorEnable != 0;
}

bool TColorControl::GraphUsable() const noexcept {
    const media::TFilterGraph* graph = owner_.FilterGraph();
    return !owner_.Designing() && graph && graph->Active();
}

win::com_ptr<win::IMixerPinConfig2> TColorControl::LocateMixerPin() const {
    if (!GraphUsable()) return {};
    const media::TFilterList filters(owner_.FilterGraph()->Graph());
    IBaseFilter* mixer = nullptr;
    // The last mixer in the list wins.
    for (int index = 0; index < filters.Count(); ++index) {
        CLSID clsid = GUID_NULL;
        filters.Filters(index)->GetClassID(&clsid);
        if (clsid == CLSID_OverlayMixer || clsid == kOverlayMixer2) mixer = filters.Filters(index);
    }
    if (!mixer) return {};
    win::com_ptr<IEnumPins> pins;
    if (FAILED(mixer->EnumPins(pins.put()))) return {};
    win::com_ptr<IPin> pin;
    while (pins->Next(1, pin.put(), nullptr) == S_OK) {
        PIN_DIRECTION direction{};
        if (FAILED(pin->QueryDirection(&direction))) return {};
        // Only the first input pin is asked; one without the interface ends the search.
        if (direction == PINDIR_INPUT) return pin.try_query<win::IMixerPinConfig2>();
    }
    return {};
}

std::optional<HRESULT> TColorControl::QueryOverlayControls(DDCOLORCONTROL& controls) const {
    auto pin = LocateMixerPin();
    if (!pin) return std::nullopt;
    controls = EmptyControls();
    return pin->GetOverlaySurfaceColorControls(&controls);
}

void TColorControl::SaveOverlayControls() {
    DDCOLORCONTROL controls;
    if (auto result = QueryOverlayControls(controls); result && SUCCEEDED(*result)) saved_controls_ = controls;
}

void TColorControl::ApplyColorControls() {
    auto pin = LocateMixerPin();
    if (!pin) return;
    DDCOLORCONTROL controls = EmptyControls();
    controls.dwFlags = kAllColorControls;
    controls.lBrightness = brightness_;
    controls.lContrast = contrast_;
    controls.lHue = hue_;
    controls.lSaturation = saturation_;
    controls.lSharpness = sharpness_;
    controls.lGamma = gamma_;
    controls.lColorEnable = color_enable_ ? 1 : 0;
    pin->SetOverlaySurfaceColorControls(&controls);
}

void TColorControl::ReadColorControls() {
    DDCOLORCONTROL controls;
    const auto result = QueryOverlayControls(controls);
    if (!result) return;
    // A driver that refuses the read leaves us the defaults, not stale values.
    LoadFrom(SUCCEEDED(*result) ? controls : DefaultControls());
}

void TColorControl::RestoreOverlayControls() {
    LoadFrom(saved_controls_);
    ApplyColorControls();
}

// Getters refresh from the overlay first; setters check, store and apply.
#define WALLCINE_COLOR_PROPERTY(Name, field, range)   \
    LONG TColorControl::Name() {                      \
        ReadColorControls();                          \
        return field;                                 \
    }                                                 \
    void TColorControl::Set##Name(LONG value) {       \
        CheckRange(range, value);                     \
        field = value;                                \
        ApplyColorControls();                         \
    }
WALLCINE_COLOR_PROPERTY(Brightness, brightness_, kBrightness)
WALLCINE_COLOR_PROPERTY(Contrast, contrast_, kContrast)
WALLCINE_COLOR_PROPERTY(Hue, hue_, kHue)
WALLCINE_COLOR_PROPERTY(Saturation, saturation_, kSaturation)
WALLCINE_COLOR_PROPERTY(Sharpness, sharpness_, kSharpness)
WALLCINE_COLOR_PROPERTY(Gamma, gamma_, kGamma)
#undef WALLCINE_COLOR_PROPERTY

bool TColorControl::ColorEnable() {
    ReadColorControls();
    return color_enable_;
}

void TColorControl::SetColorEnable(bool value) {
    color_enable_ = value;
    ApplyColorControls();
}

bool TDSVideoWindowEx2Caps::CanOverlayGraphic() const noexcept { return owner_.OverlayMixer() != nullptr; }

bool TDSVideoWindowEx2Caps::SavedFlag(DWORD flag) const noexcept {
    return (owner_.ColorControl().SavedControls().dwFlags & flag) != 0;
}

bool TDSVideoWindowEx2Caps::CanControlBrigtness() const noexcept { return SavedFlag(DDCOLOR_BRIGHTNESS); }
bool TDSVideoWindowEx2Caps::CanControlContrast() const noexcept { return SavedFlag(DDCOLOR_CONTRAST); }
bool TDSVideoWindowEx2Caps::CanControlHue() const noexcept { return SavedFlag(DDCOLOR_HUE); }
bool TDSVideoWindowEx2Caps::CanControlSaturation() const noexcept { return SavedFlag(DDCOLOR_SATURATION); }
bool TDSVideoWindowEx2Caps::CanControlSharpness() const noexcept { return SavedFlag(DDCOLOR_SHARPNESS); }
bool TDSVideoWindowEx2Caps::CanControlGamma() const noexcept { return SavedFlag(DDCOLOR_GAMMA); }
bool TDSVideoWindowEx2Caps::CanControlColorEnabled() const noexcept { return SavedFlag(DDCOLOR_COLORENABLE); }

}  // namespace wallcine::video
