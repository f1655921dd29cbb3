#include "fakes/fake_media_reader.h"

#include <vector>

namespace wallcine::test {

namespace {

// Keeps a sample's bytes for as long as the source reads them.
class BytesKeeper final : public media::SampleBytesKeeper {
public:
    explicit BytesKeeper(std::vector<BYTE> bytes) : bytes(std::move(bytes)) {}
    std::vector<BYTE> bytes;
};

const char* StreamName(media::ReaderStream stream) { return stream == media::ReaderStream::kVideo ? "video" : "audio"; }

}  // namespace

const char* FormatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::kRgb32:
        return "rgb32";
    case PictureFormat::kNv12:
        return "nv12";
    case PictureFormat::kYuy2:
        return "yuy2";
    case PictureFormat::kI420:
        return "i420";
    }
    return "?";
}

void FakeReaderScript::Record(std::string line) {
    std::lock_guard lock(lock_);
    calls_.push_back(std::move(line));
}

Trace FakeReaderScript::Calls() const {
    std::lock_guard lock(lock_);
    return calls_;
}

HRESULT FakeMediaReader::SetPictureFormat(PictureFormat format) {
    script_.Record(std::string("SetPictureFormat ") + FormatName(format));
    std::lock_guard lock(lock_);
    if (SUCCEEDED(script_.picture_format_result)) picture_format_ = format;
    return script_.picture_format_result;
}

HRESULT FakeMediaReader::SetStreamEnabled(media::ReaderStream stream, bool enabled) {
    script_.Record(std::string("SetStreamEnabled ") + StreamName(stream) + (enabled ? " 1" : " 0"));
    return S_OK;
}

HRESULT FakeMediaReader::Read(media::ReaderStream stream, media::ReaderSample& sample) {
    std::lock_guard lock(lock_);
    const bool video = stream == media::ReaderStream::kVideo;
    const std::vector<FakeReaderStep>& steps = video ? script_.video_steps : script_.audio_steps;
    size_t& next = video ? next_video_ : next_audio_;
    if (next >= steps.size()) return S_FALSE;
    const size_t index = next++;
    const FakeReaderStep& step = steps[index];
    if (FAILED(step.failure)) return step.failure;

    sample.time = step.time;
    sample.duration = step.duration;
    const BYTE mark = static_cast<BYTE>(index + 1);
    if (video) {
        const media::VideoStreamFormat& format = *script_.video;
        const std::ptrdiff_t pitch = TightStride(picture_format_, format.width);
        auto keeper = std::make_unique<BytesKeeper>(
            std::vector<BYTE>(PictureBytes(picture_format_, pitch, format.height), mark));
        sample.picture = PictureSource{keeper->bytes.data(), pitch, format.height};
        sample.bytes = keeper->bytes;
        sample.keeper = std::move(keeper);
    } else {
        const media::AudioStreamFormat& format = *script_.audio;
        const LONGLONG bytes_per_second =
            LONGLONG{format.samples_per_second} * format.channels * format.bits_per_sample / 8;
        auto keeper = std::make_unique<BytesKeeper>(
            std::vector<BYTE>(static_cast<size_t>(step.duration * bytes_per_second / 10'000'000), mark));
        sample.bytes = keeper->bytes;
        sample.keeper = std::move(keeper);
    }
    return S_OK;
}

HRESULT FakeMediaReader::Seek(LONGLONG position) {
    script_.Record("Seek " + std::to_string(position));
    std::lock_guard lock(lock_);
    const auto place = [position](const std::vector<FakeReaderStep>& steps) {
        size_t at = 0;
        for (size_t index = 0; index < steps.size(); ++index)
            if (steps[index].key && steps[index].time <= position) at = index;
        return at;
    };
    next_video_ = place(script_.video_steps);
    next_audio_ = place(script_.audio_steps);
    return S_OK;
}

HRESULT FakeMediaReaderFactory::Open(const std::wstring& path, std::unique_ptr<media::IMediaReader>& reader) {
    trace_.push_back("reader.Open " + Narrow(path));
    reader.reset();
    if (FAILED(open_result)) return open_result;
    reader = std::make_unique<FakeMediaReader>(script_);
    return S_OK;
}

}  // namespace wallcine::test
