#include "media/source_media_types.h"

#include <windows.h>
#include <amvideo.h>
#include <dvdmedia.h>
#include <mmreg.h>
#include <uuids.h>

#include <cstdlib>
#include <cstring>

namespace wallcine::media {

namespace {

GUID FourccSubtype(DWORD fourcc) noexcept {
    GUID subtype = MEDIASUBTYPE_YUY2;  // the FOURCC family's base
    subtype.Data1 = fourcc;
    return subtype;
}

constexpr DWORD kI420 = MAKEFOURCC('I', '4', '2', '0');

GUID SubtypeOf(PictureFormat format) noexcept {
    switch (format) {
    case PictureFormat::kRgb32:
        return MEDIASUBTYPE_RGB32;
    case PictureFormat::kNv12:
        return MEDIASUBTYPE_NV12;
    case PictureFormat::kYuy2:
        return MEDIASUBTYPE_YUY2;
    case PictureFormat::kI420:
        return FourccSubtype(kI420);
    }
    return GUID_NULL;
}

DWORD CompressionOf(PictureFormat format) noexcept {
    return format == PictureFormat::kRgb32 ? BI_RGB : SubtypeOf(format).Data1;
}

// Takes a format block of `size` bytes in task memory into `type`; false when memory runs out.
template <class Format>
Format* AllocateFormat(AM_MEDIA_TYPE& type, const GUID& format_type) noexcept {
    auto* format = static_cast<Format*>(::CoTaskMemAlloc(sizeof(Format)));
    if (!format) return nullptr;
    std::memset(format, 0, sizeof(Format));
    type.formattype = format_type;
    type.cbFormat = sizeof(Format);
    type.pbFormat = reinterpret_cast<BYTE*>(format);
    return format;
}

}  // namespace

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) noexcept {
    if (type.pbFormat) ::CoTaskMemFree(type.pbFormat);
    if (type.pUnk) type.pUnk->Release();
    type = {};
}

HRESULT CopyMediaTypeContents(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source) noexcept {
    target = source;
    if (source.cbFormat && source.pbFormat) {
        target.pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(source.cbFormat));
        if (!target.pbFormat) {
            target = {};
            return E_OUTOFMEMORY;
        }
        std::memcpy(target.pbFormat, source.pbFormat, source.cbFormat);
    } else {
        target.pbFormat = nullptr;
        target.cbFormat = 0;
    }
    if (target.pUnk) target.pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CopyMediaTypeToTaskMemory(const AM_MEDIA_TYPE& source) noexcept {
    auto* copy = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy) return nullptr;
    if (FAILED(CopyMediaTypeContents(*copy, source))) {
        ::CoTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

media_type& media_type::operator=(media_type&& other) noexcept {
    if (this != &other) {
        FreeMediaTypeContents(type_);
        type_ = other.type_;
        other.type_ = {};
    }
    return *this;
}

media_type media_type::copy_of(const AM_MEDIA_TYPE& source) noexcept {
    media_type copy;
    CopyMediaTypeContents(copy.type_, source);
    return copy;
}

media_type VideoMediaType(PictureFormat format, const VideoStreamFormat& stream) {
    media_type result;
    AM_MEDIA_TYPE& type = result.edit();
    auto* info = AllocateFormat<VIDEOINFOHEADER>(type, FORMAT_VideoInfo);
    if (!info) return result;
    const std::size_t bytes = PictureBytes(format, TightStride(format, stream.width), stream.height);
    type.majortype = MEDIATYPE_Video;
    type.subtype = SubtypeOf(format);
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = static_cast<ULONG>(bytes);
    info->AvgTimePerFrame = stream.frame_duration;
    BITMAPINFOHEADER& header = info->bmiHeader;
    header.biSize = sizeof header;
    header.biWidth = stream.width;
    // Positive: bottom-up for RGB (the reader's rows are turned over on the way), top-down for YUV.
    header.biHeight = stream.height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(BitsPerPixel(format));
    header.biCompression = CompressionOf(format);
    header.biSizeImage = static_cast<DWORD>(bytes);
    return result;
}

media_type AudioMediaType(const AudioStreamFormat& stream) {
    media_type result;
    AM_MEDIA_TYPE& type = result.edit();
    const WORD block_align = static_cast<WORD>(stream.channels * stream.bits_per_sample / 8);
    const bool extensible = stream.channels > 2 || stream.bits_per_sample > 16 || stream.channel_mask != 0;
    WAVEFORMATEX* wave = nullptr;
    if (extensible) {
        auto* format = AllocateFormat<WAVEFORMATEXTENSIBLE>(type, FORMAT_WaveFormatEx);
        if (!format) return result;
        format->Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        format->Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
        format->Samples.wValidBitsPerSample = static_cast<WORD>(stream.bits_per_sample);
        format->dwChannelMask = stream.channel_mask;
        format->SubFormat = MEDIASUBTYPE_PCM;  // the same GUID as KSDATAFORMAT_SUBTYPE_PCM
        wave = &format->Format;
    } else {
        wave = AllocateFormat<WAVEFORMATEX>(type, FORMAT_WaveFormatEx);
        if (!wave) return result;
        wave->wFormatTag = WAVE_FORMAT_PCM;
    }
    wave->nChannels = static_cast<WORD>(stream.channels);
    wave->nSamplesPerSec = static_cast<DWORD>(stream.samples_per_second);
    wave->wBitsPerSample = static_cast<WORD>(stream.bits_per_sample);
    wave->nBlockAlign = block_align;
    wave->nAvgBytesPerSec = static_cast<DWORD>(stream.samples_per_second) * block_align;
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = block_align;
    return result;
}

std::optional<PictureFormat> PictureFormatOf(const AM_MEDIA_TYPE& type) noexcept {
    if (type.majortype != MEDIATYPE_Video) return std::nullopt;
    for (PictureFormat format : {PictureFormat::kRgb32, PictureFormat::kNv12, PictureFormat::kYuy2, PictureFormat::kI420})
        if (type.subtype == SubtypeOf(format)) return format;
    return std::nullopt;
}

const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE& type) noexcept {
    if (!type.pbFormat) return nullptr;
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    return nullptr;
}

bool SameMediaType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) noexcept {
    return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
           a.cbFormat == b.cbFormat && (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

bool MatchesPartialType(const AM_MEDIA_TYPE& offered, const AM_MEDIA_TYPE& partial) noexcept {
    if (partial.majortype != GUID_NULL && partial.majortype != offered.majortype) return false;
    if (partial.subtype != GUID_NULL && partial.subtype != offered.subtype) return false;
    if (partial.formattype == GUID_NULL) return true;
    // A format type is named: the format block must be ours as well.
    return SameMediaType(offered, partial);
}

bool IsPictureLayoutOf(const AM_MEDIA_TYPE& candidate, const AM_MEDIA_TYPE& offered) noexcept {
    const BITMAPINFOHEADER* want = BitmapHeaderOf(candidate);
    const BITMAPINFOHEADER* have = BitmapHeaderOf(offered);
    if (!want || !have || candidate.majortype != offered.majortype || candidate.subtype != offered.subtype) return false;
    // Rows at least as wide as the picture, as many of them (either way up for RGB).
    return want->biCompression == have->biCompression && want->biBitCount == have->biBitCount &&
           want->biWidth >= have->biWidth && std::abs(want->biHeight) == std::abs(have->biHeight) &&
           (want->biHeight > 0 || have->biCompression == BI_RGB);
}

}  // namespace wallcine::media
