// A media reader a test scripts, for Wallcine's media source: the streams' formats, then for each
// stream the samples Read hands out in order (a time and a duration, or a failure), its end after
// the last. A seek goes back to the last key sample that starts at or before the position, as a
// reader goes back to a key frame. Every picture's bytes and every sound byte hold the sample's
// number plus one, so what arrives downstream shows which sample it came from.
//
// The script outlives the reader (which the source owns): it records the calls and the reader's
// destruction in order, from whatever thread makes them. FakeMediaReaderFactory opens readers on
// it for the render tests.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_dshow.h"
#include "media/media_reader.h"

namespace wallcine::test {

struct FakeReaderStep {
    LONGLONG time = 0;
    LONGLONG duration = 0;
    HRESULT failure = S_OK;  // a failure Read returns instead of this sample
    bool key = true;         // a seek may land here
};

class FakeReaderScript {
public:
    std::optional<media::VideoStreamFormat> video;
    std::optional<media::AudioStreamFormat> audio;
    LONGLONG duration = 0;
    std::vector<FakeReaderStep> video_steps;
    std::vector<FakeReaderStep> audio_steps;
    // A failure SetPictureFormat returns.
    HRESULT picture_format_result = S_OK;

    // "SetPictureFormat nv12", "SetStreamEnabled audio 0", "Seek 1200000", "destroyed".
    void Record(std::string line);
    Trace Calls() const;

private:
    mutable std::mutex lock_;
    Trace calls_;
};

class FakeMediaReader final : public media::IMediaReader {
public:
    explicit FakeMediaReader(FakeReaderScript& script) : script_(script) {}
    ~FakeMediaReader() override { script_.Record("destroyed"); }

    LONGLONG Duration() const override { return script_.duration; }
    const std::optional<media::VideoStreamFormat>& Video() const override { return script_.video; }
    const std::optional<media::AudioStreamFormat>& Audio() const override { return script_.audio; }
    HRESULT SetPictureFormat(PictureFormat format) override;
    HRESULT SetStreamEnabled(media::ReaderStream stream, bool enabled) override;
    HRESULT Read(media::ReaderStream stream, media::ReaderSample& sample) override;
    HRESULT Seek(LONGLONG position) override;

private:
    FakeReaderScript& script_;
    std::mutex lock_;
    PictureFormat picture_format_ = PictureFormat::kRgb32;
    size_t next_video_ = 0;
    size_t next_audio_ = 0;
};

class FakeMediaReaderFactory final : public media::IMediaReaderFactory {
public:
    FakeMediaReaderFactory(Trace& trace, FakeReaderScript& script) : trace_(trace), script_(script) {}
    // A failure Open returns instead of a reader.
    HRESULT open_result = S_OK;
    // Records "reader.Open <path>".
    HRESULT Open(const std::wstring& path, std::unique_ptr<media::IMediaReader>& reader) override;

private:
    Trace& trace_;
    FakeReaderScript& script_;
};

const char* FormatName(PictureFormat format);

}  // namespace wallcine::test
