// Media Foundation's Color Converter as a step after the Source Reader: YUV frames in, RGB32
// frames out, rows top-down. For systems whose Source Reader will not deliver RGB32 itself
// (Wine 8 refuses it with MF_E_TOPO_CODEC_NOT_FOUND) while their Video Renderer takes only RGB.
#pragma once

#include <windows.h>
#include <mfidl.h>
#include <mftransform.h>

#include <memory>

#include "win/com_ptr.h"

namespace wallcine::media {

class ColourConverter {
public:
    // A converter from `input` (an uncompressed YUV type with its frame size) to RGB32 of the
    // same size; the failure when the system has none or it refuses the type.
    static HRESULT Create(IMFMediaType& input, std::unique_ptr<ColourConverter>& converter);

    // One frame in, one frame out (a new sample the caller owns), with the input's time and
    // duration.
    HRESULT Convert(IMFSample& input, win::com_ptr<IMFSample>& output);
    // Forgets any frame it holds: after a seek.
    void Flush() noexcept;
    // Bytes between the rows of a converted frame.
    LONG OutputPitch() const noexcept { return output_pitch_; }

private:
    ColourConverter(win::com_ptr<IMFTransform> transform, DWORD output_bytes, LONG output_pitch) noexcept
        : transform_(std::move(transform)), output_bytes_(output_bytes), output_pitch_(output_pitch) {}

    win::com_ptr<IMFTransform> transform_;
    DWORD output_bytes_;
    LONG output_pitch_;
};

}  // namespace wallcine::media
