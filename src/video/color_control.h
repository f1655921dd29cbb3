// TColorControl: the seven colour adjustments of the overlay surface (brightness, contrast,
// hue, saturation, sharpness, gamma, colour on/off), range-checked, written to and read back
// from the Overlay Mixer's first input pin while the graph runs, plus the driver's own settings
// saved so they can be put back. TDSVideoWindowEx2Caps tells which adjustments the driver has.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include "win/dshow.h"

#include <optional>

#include "media/filter_graph.h"
#include "win/com_ptr.h"
#include "win/overlay_declarations.h"

namespace wallcine::video {

class TColorControl;

// What the colour control needs of the video window that owns it.
class IColorControlOwner {
public:
    virtual bool Designing() const noexcept = 0;
    virtual media::TFilterGraph* FilterGraph() const noexcept = 0;

protected:
    ~IColorControlOwner() = default;
};

// What the capability object needs of the video window that owns it.
class ICapsOwner {
public:
    virtual IBaseFilter* OverlayMixer() const noexcept = 0;
    virtual TColorControl& ColorControl() noexcept = 0;

protected:
    ~ICapsOwner() = default;
};

class TColorControl {
public:
    explicit TColorControl(IColorControlOwner& owner);

    // Getters refresh from the overlay while the graph is usable; setters check the range
    // (raising wallcine::Exception with the value named), store, and apply while it is usable.
    LONG Brightness();
    void SetBrightness(LONG value);  // 0..10000
    LONG Contrast();
    void SetContrast(LONG value);  // 0..20000
    LONG Hue();
    void SetHue(LONG value);  // -180..180
    LONG Saturation();
    void SetSaturation(LONG value);  // 0..20000
    LONG Sharpness();
    void SetSharpness(LONG value);  // 0..10
    LONG Gamma();
    void SetGamma(LONG value);  // 1..500
    bool ColorEnable();
    void SetColorEnable(bool value);

    void SaveOverlayControls();     // the driver's settings into SavedControls
    void ApplyColorControls();      // all seven values to the overlay
    void ReadColorControls();       // the overlay's values into the seven properties
    void RestoreOverlayControls();  // SavedControls back into the properties and the overlay

    const DDCOLORCONTROL& SavedControls() const noexcept { return saved_controls_; }

private:
    bool GraphUsable() const noexcept;
    // The first input pin of the graph's last Overlay Mixer; empty when the graph is not usable.
    win::com_ptr<win::IMixerPinConfig2> LocateMixerPin() const;
    // Nothing when there is no one to ask; otherwise the driver's answer, with `controls` filled.
    std::optional<HRESULT> QueryOverlayControls(DDCOLORCONTROL& controls) const;
    void LoadFrom(const DDCOLORCONTROL& controls) noexcept;

    IColorControlOwner& owner_;
    LONG brightness_ = 750;
    LONG contrast_ = 10000;
    LONG hue_ = 0;
    LONG saturation_ = 10000;
    LONG sharpness_ = 5;
    LONG gamma_ = 1;
    bool color_enable_ = true;
    DDCOLORCONTROL saved_controls_{};
};

class TDSVideoWindowEx2Caps {
public:
    explicit TDSVideoWindowEx2Caps(ICapsOwner& owner) : owner_(owner) {}

    bool CanOverlayGraphic() const noexcept;
    bool CanControlBrigtness() const noexcept;
    bool CanControlContrast() const noexcept;
    bool CanControlHue() const noexcept;
    bool CanControlSaturation() const noexcept;
    bool CanControlSharpness() const noexcept;
    bool CanControlGamma() const noexcept;
    bool CanControlColorEnabled() const noexcept;

private:
    bool SavedFlag(DWORD flag) const noexcept;
    ICapsOwner& owner_;
};

}  // namespace wallcine::video
