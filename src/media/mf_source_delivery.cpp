#include "media/mf_source_delivery.h"

#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "media/source_media_types.h"
#include "win/com_ptr.h"

namespace wallcine::media {

namespace {

constexpr LONGLONG kUnitsPerSecond = 10'000'000;

// A media type the renderer attached to a buffer, freed with the buffer's turn.
class attached_type {
public:
    ~attached_type() {
        if (type_) {
            FreeMediaTypeContents(*type_);
            ::CoTaskMemFree(type_);
        }
    }
    AM_MEDIA_TYPE** put() noexcept { return &type_; }
    const AM_MEDIA_TYPE* get() const noexcept { return type_; }

private:
    AM_MEDIA_TYPE* type_ = nullptr;
};

}  // namespace

SampleDelivery::SampleDelivery(IMemAllocator& allocator, IMemInputPin& input, const AM_MEDIA_TYPE& connected,
                               LONGLONG segment_start)
    : allocator_(allocator), input_(input), segment_start_(segment_start), picture_(PictureFormatOf(connected)) {
    if (picture_) {
        const BITMAPINFOHEADER* header = BitmapHeaderOf(connected);
        width_ = header ? header->biWidth : 0;
        height_ = header ? std::abs(header->biHeight) : 0;
        if (connected.formattype == FORMAT_VideoInfo && connected.cbFormat >= sizeof(VIDEOINFOHEADER))
            frame_duration_ = reinterpret_cast<const VIDEOINFOHEADER*>(connected.pbFormat)->AvgTimePerFrame;
        if (header) AdoptLayout(connected);
    } else if (connected.formattype == FORMAT_WaveFormatEx && connected.cbFormat >= sizeof(WAVEFORMATEX)) {
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(connected.pbFormat);
        bytes_per_second_ = wave->nAvgBytesPerSec;
        block_align_ = wave->nBlockAlign ? wave->nBlockAlign : 1;
    }
}

bool SampleDelivery::AdoptLayout(const AM_MEDIA_TYPE& type) noexcept {
    const BITMAPINFOHEADER* header = BitmapHeaderOf(type);
    if (!header || PictureFormatOf(type) != picture_ || header->biWidth < width_ || std::abs(header->biHeight) != height_)
        return false;
    layout_.stride = TightStride(*picture_, header->biWidth);
    // DirectShow's RGB rows go bottom-up unless the height is negative; YUV rows always go down.
    layout_.bottom_up = *picture_ == PictureFormat::kRgb32 && header->biHeight > 0;
    return true;
}

LONGLONG SampleDelivery::EndOf(const ReaderSample& sample) const noexcept {
    if (picture_) return sample.time + (sample.duration > 0 ? sample.duration : frame_duration_);
    // Sound lasts as long as its bytes play, whatever the reader said.
    if (bytes_per_second_ == 0) return sample.time + sample.duration;
    return sample.time + static_cast<LONGLONG>(sample.bytes.size()) * kUnitsPerSecond / bytes_per_second_;
}

HRESULT SampleDelivery::Deliver(const ReaderSample& sample) {
    return picture_ ? DeliverPicture(sample) : DeliverSound(sample);
}

HRESULT SampleDelivery::DeliverPicture(const ReaderSample& sample) {
    win::com_ptr<IMediaSample> buffer;
    HRESULT hr = allocator_.GetBuffer(buffer.put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    attached_type changed;
    if (buffer->GetMediaType(changed.put()) == S_OK && changed.get() && !AdoptLayout(*changed.get()))
        return VFW_E_INVALIDMEDIATYPE;

    BYTE* data = nullptr;
    if (FAILED(hr = buffer->GetPointer(&data))) return hr;
    const std::size_t bytes = PictureBytes(*picture_, layout_.stride, height_);
    if (buffer->GetSize() < 0 || static_cast<std::size_t>(buffer->GetSize()) < bytes) return VFW_E_BUFFER_OVERFLOW;
    CopyPicture(*picture_, width_, height_, sample.picture, PictureTarget{data, layout_.stride, layout_.bottom_up});
    return Send(*buffer, sample.time, EndOf(sample), static_cast<LONG>(bytes));
}

HRESULT SampleDelivery::DeliverSound(const ReaderSample& sample) {
    // A reader sample larger than the renderer's buffers goes in pieces of whole blocks, each
    // stamped with where it starts.
    std::size_t offset = 0;
    do {
        win::com_ptr<IMediaSample> buffer;
        HRESULT hr = allocator_.GetBuffer(buffer.put(), nullptr, nullptr, 0);
        if (FAILED(hr)) return hr;
        BYTE* data = nullptr;
        if (FAILED(hr = buffer->GetPointer(&data))) return hr;
        const std::size_t capacity = static_cast<std::size_t>(std::max<LONG>(buffer->GetSize(), 0)) / block_align_ * block_align_;
        if (capacity == 0) return VFW_E_BUFFER_OVERFLOW;
        const std::size_t length = std::min(capacity, sample.bytes.size() - offset);
        if (length) std::memcpy(data, sample.bytes.data() + offset, length);
        const auto time_at = [&](std::size_t position) {
            return bytes_per_second_ ? sample.time + static_cast<LONGLONG>(position) * kUnitsPerSecond / bytes_per_second_
                                     : sample.time;
        };
        if ((hr = Send(*buffer, time_at(offset), time_at(offset + length), static_cast<LONG>(length))) != S_OK) return hr;
        offset += length;
    } while (offset < sample.bytes.size());
    return S_OK;
}

HRESULT SampleDelivery::Send(IMediaSample& buffer, LONGLONG start, LONGLONG stop, LONG length) {
    // Downstream counts from the segment's start: where the graph last seeked is its time 0.
    REFERENCE_TIME segment_start = start - segment_start_;
    REFERENCE_TIME segment_stop = stop - segment_start_;
    buffer.SetActualDataLength(length);
    buffer.SetTime(&segment_start, &segment_stop);
    buffer.SetSyncPoint(TRUE);
    buffer.SetPreroll(FALSE);
    buffer.SetDiscontinuity(discontinuity_ ? TRUE : FALSE);
    const HRESULT hr = input_.Receive(&buffer);
    discontinuity_ = false;
    return hr;
}

}  // namespace wallcine::media
