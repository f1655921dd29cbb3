#include "media/mf_source_reader.h"

#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <versionhelpers.h>

#include <mutex>
#include <utility>

#include "media/mf_colour_converter.h"
#include "media/mf_support.h"
#include "win/call_within.h"
#include "win/com_ptr.h"
#include "win/unique_handle.h"

namespace wallcine::media {

namespace {

using win::com_ptr;

const GUID& SubtypeOf(PictureFormat format) noexcept {
    switch (format) {
    case PictureFormat::kRgb32:
        return MFVideoFormat_RGB32;
    case PictureFormat::kNv12:
        return MFVideoFormat_NV12;
    case PictureFormat::kYuy2:
        return MFVideoFormat_YUY2;
    case PictureFormat::kI420:
        return MFVideoFormat_I420;
    }
    return GUID_NULL;
}

// Wine 8's reader, opening a damaged file, now and then waits forever for GStreamer (seen about
// once in a hundred opens of the same file); on Windows an open takes well under a second. A file
// that is not open by then counts as one the reader cannot read.
constexpr std::chrono::seconds kOpenPatience{10};

// Tried in this order; the first one the reader takes is offered first.
constexpr PictureFormat kPictureFormats[] = {PictureFormat::kRgb32, PictureFormat::kNv12, PictureFormat::kYuy2,
                                             PictureFormat::kI420};

HRESULT PartialType(const GUID& major, const GUID& subtype, com_ptr<IMFMediaType>& type) {
    HRESULT hr = ::MFCreateMediaType(type.put());
    if (FAILED(hr)) return hr;
    type->SetGUID(MF_MT_MAJOR_TYPE, major);
    type->SetGUID(MF_MT_SUBTYPE, subtype);
    return S_OK;
}

// Where a decoded picture lies in its buffer: the frame's coded size (rows of the first plane
// before the next one), the rows' default pitch, and the visible part, which starts at the top
// left corner in every decoder output seen.
struct PictureLayout {
    int coded_height = 0;
    LONG default_pitch = 0;
    int width = 0;
    int height = 0;
};

HRESULT ReadPictureLayout(IMFMediaType& type, PictureFormat format, PictureLayout& layout) {
    UINT32 coded_width = 0, coded_height = 0;
    HRESULT hr = ::MFGetAttributeSize(&type, MF_MT_FRAME_SIZE, &coded_width, &coded_height);
    if (FAILED(hr)) return hr;
    layout.coded_height = static_cast<int>(coded_height);
    UINT32 stride = 0;
    layout.default_pitch = SUCCEEDED(type.GetUINT32(MF_MT_DEFAULT_STRIDE, &stride))
                               ? static_cast<LONG>(static_cast<INT32>(stride))
                               : static_cast<LONG>(TightStride(format, static_cast<int>(coded_width)));
    MFVideoArea area{};
    if (SUCCEEDED(type.GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, reinterpret_cast<UINT8*>(&area), sizeof area, nullptr)) &&
        area.Area.cx > 0 && area.Area.cy > 0) {
        layout.width = area.Area.cx;
        layout.height = area.Area.cy;
    } else {
        layout.width = static_cast<int>(coded_width);
        layout.height = static_cast<int>(coded_height);
    }
    return S_OK;
}

// A buffer locked for as long as a sample's bytes are read; 2D buffers through Lock2D, which
// gives the top row and the real pitch.
class LockedBuffer final : public SampleBytesKeeper {
public:
    static HRESULT LockPicture(com_ptr<IMFMediaBuffer> buffer, const PictureLayout& layout, ReaderSample& sample) {
        std::unique_ptr<LockedBuffer> locked(new LockedBuffer(std::move(buffer)));
        if (auto two_d = locked->buffer_.try_query<IMF2DBuffer>()) {
            BYTE* top_row = nullptr;
            LONG pitch = 0;
            HRESULT hr = two_d->Lock2D(&top_row, &pitch);
            if (FAILED(hr)) return hr;
            locked->two_d_ = std::move(two_d);
            sample.picture = PictureSource{top_row, pitch, layout.coded_height};
        } else {
            BYTE* data = nullptr;
            DWORD length = 0;
            HRESULT hr = locked->buffer_->Lock(&data, nullptr, &length);
            if (FAILED(hr)) return hr;
            locked->locked_ = true;
            const LONG pitch = layout.default_pitch;
            const DWORD rows_bytes = static_cast<DWORD>(pitch < 0 ? -pitch : pitch) * static_cast<DWORD>(layout.coded_height);
            // Every plane lies below the first one's rows: a buffer shorter than those rows is not
            // the frame its type describes.
            if (length < rows_bytes) return MF_E_BUFFERTOOSMALL;
            // A negative pitch is a bottom-up buffer: its top row comes last.
            BYTE* top_row = pitch < 0 ? data + static_cast<size_t>(-pitch) * (layout.coded_height - 1) : data;
            sample.picture = PictureSource{top_row, pitch, layout.coded_height};
        }
        sample.keeper = std::move(locked);
        return S_OK;
    }

    static HRESULT LockBytes(com_ptr<IMFMediaBuffer> buffer, ReaderSample& sample) {
        std::unique_ptr<LockedBuffer> locked(new LockedBuffer(std::move(buffer)));
        BYTE* data = nullptr;
        DWORD length = 0;
        HRESULT hr = locked->buffer_->Lock(&data, nullptr, &length);
        if (FAILED(hr)) return hr;
        locked->locked_ = true;
        sample.bytes = std::span<const BYTE>(data, length);
        sample.keeper = std::move(locked);
        return S_OK;
    }

    ~LockedBuffer() override {
        if (two_d_) two_d_->Unlock2D();
        if (locked_) buffer_->Unlock();
    }

private:
    explicit LockedBuffer(com_ptr<IMFMediaBuffer> buffer) noexcept : buffer_(std::move(buffer)) {}
    com_ptr<IMFMediaBuffer> buffer_;
    com_ptr<IMF2DBuffer> two_d_;  // set while Lock2D holds the buffer
    bool locked_ = false;         // Lock holds it
};

// What the open hands back: the reader with a start-up of its own, which outlives it. An open
// that was given up on drops both on its own thread whenever it ends, Media Foundation still up.
struct OpenedReader {
    std::unique_ptr<mf_startup_scope> startup;
    com_ptr<IMFSourceReader> reader;
};

class MfSourceReader final : public IMediaReader {
public:
    HRESULT Open(const std::wstring& path);

    LONGLONG Duration() const override { return duration_; }
    const std::optional<VideoStreamFormat>& Video() const override { return video_; }
    const std::optional<AudioStreamFormat>& Audio() const override { return audio_; }
    HRESULT SetPictureFormat(PictureFormat format) override;
    HRESULT SetStreamEnabled(ReaderStream stream, bool enabled) override;
    HRESULT Read(ReaderStream stream, ReaderSample& sample) override;
    HRESULT Seek(LONGLONG position) override;

private:
    DWORD IndexOf(ReaderStream stream) const noexcept { return stream == ReaderStream::kVideo ? video_index_ : audio_index_; }
    HRESULT FindStreams();
    void ConfigureAudio();
    void ConfigureVideo();
    PictureFormat NativePictureFormat(const std::vector<PictureFormat>& given);
    HRESULT ApplyPictureFormat(PictureFormat format);
    HRESULT VideoTypeChanged();

    // Declared first: Media Foundation stays started until every object below is released.
    mf_startup_scope startup_;
    com_ptr<IMFSourceReader> reader_;
    // The Source Reader's synchronous calls, one at a time.
    std::mutex lock_;
    static constexpr DWORD kNoStream = 0xFFFFFFFF;
    DWORD video_index_ = kNoStream;
    DWORD audio_index_ = kNoStream;
    LONGLONG duration_ = 0;
    std::optional<VideoStreamFormat> video_;
    std::optional<AudioStreamFormat> audio_;
    // RGB32 comes through the converter, from the first YUV format the reader gives.
    bool rgb_by_converter_ = false;
    PictureFormat converter_input_ = PictureFormat::kNv12;
    PictureFormat picture_format_ = PictureFormat::kRgb32;
    PictureLayout layout_;
    std::unique_ptr<ColourConverter> converter_;  // while RGB32 comes through it
};

HRESULT MfSourceReader::Open(const std::wstring& path) {
    if (FAILED(startup_.result())) return startup_.result();
    com_ptr<IMFAttributes> attributes;
    HRESULT hr = ::MFCreateAttributes(attributes.put(), 1);
    if (FAILED(hr)) return hr;
    // The advanced processor converts fast (and on the GPU where it can); the plain one, all
    // Windows 7 has, only in software. Only one of them may be set.
    attributes->SetUINT32(::IsWindows8OrGreater() ? MF_SOURCE_READER_ENABLE_ADVANCED_VIDEO_PROCESSING
                                                  : MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING,
                          TRUE);
    OpenedReader opened;
    hr = win::CallWithin(
        kOpenPatience,
        [path, attributes = std::move(attributes)](OpenedReader& result) {
            win::com_init_scope com(COINIT_MULTITHREADED);
            result.startup = std::make_unique<mf_startup_scope>();
            if (FAILED(result.startup->result())) return result.startup->result();
            return ::MFCreateSourceReaderFromURL(path.c_str(), attributes.get(), result.reader.put());
        },
        opened);
    if (FAILED(hr)) return hr;
    reader_ = std::move(opened.reader);
    if (FAILED(hr = FindStreams())) return hr;
    ConfigureAudio();
    ConfigureVideo();
    // A file whose streams none of the system's decoders take is not one this reader can play.
    if (!video_ && !audio_) return MF_E_INVALIDMEDIATYPE;

    unique_propvariant duration;
    if (SUCCEEDED(reader_->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, duration.get())) &&
        duration.value().vt == VT_UI8)
        duration_ = static_cast<LONGLONG>(duration.value().uhVal.QuadPart);
    return S_OK;
}

HRESULT MfSourceReader::FindStreams() {
    HRESULT hr = reader_->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE);
    if (FAILED(hr)) return hr;
    for (DWORD index = 0;; ++index) {
        com_ptr<IMFMediaType> type;
        if (FAILED(reader_->GetNativeMediaType(index, 0, type.put()))) break;
        GUID major{};
        if (FAILED(type->GetGUID(MF_MT_MAJOR_TYPE, &major))) continue;
        if (major == MFMediaType_Video && video_index_ == kNoStream) video_index_ = index;
        if (major == MFMediaType_Audio && audio_index_ == kNoStream) audio_index_ = index;
    }
    return S_OK;
}

void MfSourceReader::ConfigureAudio() {
    if (audio_index_ == kNoStream) return;
    com_ptr<IMFMediaType> wanted, current;
    if (FAILED(PartialType(MFMediaType_Audio, MFAudioFormat_PCM, wanted))) return;
    wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    if (FAILED(reader_->SetCurrentMediaType(audio_index_, nullptr, wanted.get())) ||
        FAILED(reader_->GetCurrentMediaType(audio_index_, current.put())))
        return;
    AudioStreamFormat format;
    format.channels = static_cast<int>(::MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_NUM_CHANNELS, 0));
    format.samples_per_second = static_cast<int>(::MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 0));
    format.bits_per_sample = static_cast<int>(::MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_BITS_PER_SAMPLE, 16));
    format.channel_mask = ::MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_CHANNEL_MASK, 0);
    if (format.channels <= 0 || format.samples_per_second <= 0) return;
    if (SUCCEEDED(reader_->SetStreamSelection(audio_index_, TRUE))) audio_ = format;
}

void MfSourceReader::ConfigureVideo() {
    if (video_index_ == kNoStream) return;
    VideoStreamFormat format;
    for (PictureFormat candidate : kPictureFormats) {
        com_ptr<IMFMediaType> wanted;
        if (SUCCEEDED(PartialType(MFMediaType_Video, SubtypeOf(candidate), wanted)) &&
            SUCCEEDED(reader_->SetCurrentMediaType(video_index_, nullptr, wanted.get())))
            format.formats.push_back(candidate);
    }
    if (format.formats.empty()) return;
    if (format.formats.front() != PictureFormat::kRgb32) {
        // RGB32 last, for a graph that has nothing to turn YUV into what its renderer takes.
        converter_input_ = NativePictureFormat(format.formats);
        rgb_by_converter_ = true;
        if (SUCCEEDED(ApplyPictureFormat(PictureFormat::kRgb32)))
            format.formats.push_back(PictureFormat::kRgb32);
        else
            rgb_by_converter_ = false;
    }
    if (FAILED(ApplyPictureFormat(format.formats.front()))) return;

    com_ptr<IMFMediaType> current;
    if (SUCCEEDED(reader_->GetCurrentMediaType(video_index_, current.put()))) {
        UINT32 numerator = 0, denominator = 0;
        if (SUCCEEDED(::MFGetAttributeRatio(current.get(), MF_MT_FRAME_RATE, &numerator, &denominator)) && numerator)
            format.frame_duration = static_cast<LONGLONG>(10'000'000ULL * denominator / numerator);
    }
    format.width = layout_.width;
    format.height = layout_.height;
    if (SUCCEEDED(reader_->SetStreamSelection(video_index_, TRUE))) video_ = std::move(format);
}

// What the converter starts from: the picture as the file's own stream already has it, when it
// is uncompressed YUV the reader gives (Wine's media source decodes inside, to I420), so that no
// conversion runs before the converter's; else the first YUV format the reader gives.
PictureFormat MfSourceReader::NativePictureFormat(const std::vector<PictureFormat>& given) {
    com_ptr<IMFMediaType> native;
    GUID subtype{};
    if (SUCCEEDED(reader_->GetNativeMediaType(video_index_, 0, native.put())) &&
        SUCCEEDED(native->GetGUID(MF_MT_SUBTYPE, &subtype)))
        for (PictureFormat format : given)
            if (SubtypeOf(format) == subtype) return format;
    return given.front();
}

HRESULT MfSourceReader::ApplyPictureFormat(PictureFormat format) {
    // What the reader itself is asked for: the format, or the converter's input for RGB32 that
    // only the converter gives.
    const PictureFormat from_reader = format == PictureFormat::kRgb32 && rgb_by_converter_ ? converter_input_ : format;
    com_ptr<IMFMediaType> wanted, current;
    HRESULT hr = PartialType(MFMediaType_Video, SubtypeOf(from_reader), wanted);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = reader_->SetCurrentMediaType(video_index_, nullptr, wanted.get()))) return hr;
    if (FAILED(hr = reader_->GetCurrentMediaType(video_index_, current.put()))) return hr;
    PictureLayout layout;
    if (FAILED(hr = ReadPictureLayout(*current, from_reader, layout))) return hr;

    std::unique_ptr<ColourConverter> converter;
    if (from_reader != format) {
        if (FAILED(hr = ColourConverter::Create(*current, converter))) return hr;
        layout.default_pitch = converter->OutputPitch();
    }
    converter_ = std::move(converter);
    layout_ = layout;
    picture_format_ = format;
    return S_OK;
}

HRESULT MfSourceReader::SetPictureFormat(PictureFormat format) {
    std::lock_guard lock(lock_);
    if (!video_) return MF_E_INVALIDSTREAMNUMBER;
    return ApplyPictureFormat(format);
}

HRESULT MfSourceReader::SetStreamEnabled(ReaderStream stream, bool enabled) {
    std::lock_guard lock(lock_);
    const DWORD index = IndexOf(stream);
    if (index == kNoStream) return MF_E_INVALIDSTREAMNUMBER;
    return reader_->SetStreamSelection(index, enabled ? TRUE : FALSE);
}

// The decoder may settle its output type once it has seen the stream. The picture keeps its
// place as long as its visible size stays; a picture of another size is not what the renderer
// was connected for.
HRESULT MfSourceReader::VideoTypeChanged() {
    const PictureLayout before = layout_;
    HRESULT hr = ApplyPictureFormat(picture_format_);
    if (FAILED(hr)) return hr;
    if (layout_.width != before.width || layout_.height != before.height) return MF_E_INVALIDMEDIATYPE;
    return S_OK;
}

HRESULT MfSourceReader::Read(ReaderStream stream, ReaderSample& sample) {
    std::lock_guard lock(lock_);
    const DWORD index = IndexOf(stream);
    if (index == kNoStream) return MF_E_INVALIDSTREAMNUMBER;
    for (;;) {
        DWORD actual_index = 0, flags = 0;
        LONGLONG time = 0;
        com_ptr<IMFSample> decoded;
        HRESULT hr = reader_->ReadSample(index, 0, &actual_index, &flags, &time, decoded.put());
        if (FAILED(hr)) return hr;
        if (flags & MF_SOURCE_READERF_ERROR) return E_FAIL;
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) return S_FALSE;
        if (stream == ReaderStream::kVideo && (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) &&
            FAILED(hr = VideoTypeChanged()))
            return hr;
        // A gap in the stream (a stream tick) has no sample: read on.
        if (!decoded) continue;

        sample.time = time;
        LONGLONG duration = 0;
        sample.duration = SUCCEEDED(decoded->GetSampleDuration(&duration)) ? duration : 0;
        if (stream == ReaderStream::kVideo && converter_) {
            com_ptr<IMFSample> converted;
            if (FAILED(hr = converter_->Convert(*decoded, converted))) return hr;
            decoded = std::move(converted);
        }
        com_ptr<IMFMediaBuffer> buffer;
        if (FAILED(hr = decoded->ConvertToContiguousBuffer(buffer.put()))) return hr;
        return stream == ReaderStream::kVideo ? LockedBuffer::LockPicture(std::move(buffer), layout_, sample)
                                              : LockedBuffer::LockBytes(std::move(buffer), sample);
    }
}

HRESULT MfSourceReader::Seek(LONGLONG position) {
    std::lock_guard lock(lock_);
    unique_propvariant where;
    where.get()->vt = VT_I8;
    where.get()->hVal.QuadPart = position;
    HRESULT hr = reader_->SetCurrentPosition(GUID_NULL, *where.get());
    if (SUCCEEDED(hr) && converter_) converter_->Flush();
    return hr;
}

class MfSourceReaderFactory final : public IMediaReaderFactory {
public:
    HRESULT Open(const std::wstring& path, std::unique_ptr<IMediaReader>& reader) override {
        reader.reset();
        auto opened = std::make_unique<MfSourceReader>();
        const HRESULT hr = opened->Open(path);
        if (SUCCEEDED(hr)) reader = std::move(opened);
        return hr;
    }
};

}  // namespace

IMediaReaderFactory& SystemMediaReaderFactory() {
    static MfSourceReaderFactory factory;
    return factory;
}

}  // namespace wallcine::media
