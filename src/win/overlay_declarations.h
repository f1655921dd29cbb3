// DirectShow overlay interfaces that MinGW's headers lack (the Overlay Mixer's pin configuration),
// laid out as the platform defines them.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include "win/dshow.h"

namespace wallcine::win {

enum AM_ASPECT_RATIO_MODE {
    AM_ARMODE_STRETCHED = 0,
    AM_ARMODE_LETTER_BOX = 1,
    AM_ARMODE_CROP = 2,
    AM_ARMODE_STRETCHED_AS_PRIMARY = 3,
};

// {593CDDE1-0759-11D1-9E69-00C04FD7C15B}
struct IMixerPinConfig : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetRelativePosition(DWORD left, DWORD top, DWORD right, DWORD bottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRelativePosition(DWORD* left, DWORD* top, DWORD* right, DWORD* bottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetZOrder(DWORD z_order) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetZOrder(DWORD* z_order) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorKey(COLORKEY* color_key) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorKey(COLORKEY* color_key, DWORD* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBlendingParameter(DWORD blending) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBlendingParameter(DWORD* blending) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(AM_ASPECT_RATIO_MODE mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStreamTransparent(BOOL transparent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStreamTransparent(BOOL* transparent) = 0;
};

// {EBF47182-8764-11D1-9E69-00C04FD7C15B}
struct IMixerPinConfig2 : public IMixerPinConfig {
    virtual HRESULT STDMETHODCALLTYPE SetOverlaySurfaceColorControls(LPDDCOLORCONTROL color_control) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOverlaySurfaceColorControls(LPDDCOLORCONTROL color_control) = 0;
};

}  // namespace wallcine::win

__CRT_UUID_DECL(wallcine::win::IMixerPinConfig, 0x593CDDE1, 0x0759, 0x11D1, 0x9E, 0x69, 0x00, 0xC0, 0x4F, 0xD7, 0xC1,
                0x5B)
__CRT_UUID_DECL(wallcine::win::IMixerPinConfig2, 0xEBF47182, 0x8764, 0x11D1, 0x9E, 0x69, 0x00, 0xC0, 0x4F, 0xD7, 0xC1,
                0x5B)
