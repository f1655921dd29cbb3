// One output pin's samples on their way downstream: a reader sample becomes one media sample
// (a picture, copied into the layout the renderer asked for) or as many as the buffers need
// (sound), stamped with its time in the segment. Runs on the pin's delivery thread.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <optional>

#include "core/picture_layout.h"
#include "media/media_reader.h"

namespace wallcine::media {

class SampleDelivery {
public:
    // `connected` is the type the pin connected with; `segment_start` the file time that counts
    // as time 0 downstream (where the last seek went).
    SampleDelivery(IMemAllocator& allocator, IMemInputPin& input, const AM_MEDIA_TYPE& connected,
                   LONGLONG segment_start);

    // Where the sample ends in the file's time.
    LONGLONG EndOf(const ReaderSample& sample) const noexcept;
    // S_OK once the sample went downstream; otherwise what stopped it (a renderer that is
    // flushing or stopped answers S_FALSE or a failure, and wants no more samples).
    HRESULT Deliver(const ReaderSample& sample);

private:
    HRESULT DeliverPicture(const ReaderSample& sample);
    HRESULT DeliverSound(const ReaderSample& sample);
    // Takes over the layout of a type the renderer attached to a buffer (rows as wide as its
    // surface): false when it is not a layout of our picture.
    bool AdoptLayout(const AM_MEDIA_TYPE& type) noexcept;
    HRESULT Send(IMediaSample& buffer, LONGLONG start, LONGLONG stop, LONG length);

    IMemAllocator& allocator_;
    IMemInputPin& input_;
    LONGLONG segment_start_;
    bool discontinuity_ = true;
    // Video.
    std::optional<PictureFormat> picture_;
    int width_ = 0;
    int height_ = 0;
    LONGLONG frame_duration_ = 0;
    PictureTarget layout_;
    // Sound.
    DWORD bytes_per_second_ = 0;
    DWORD block_align_ = 1;
};

}  // namespace wallcine::media
