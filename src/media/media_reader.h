// The seam between Wallcine's media source filter and the platform's file reader (Media
// Foundation's Source Reader): a file's first video and first audio stream, the uncompressed
// formats they come in, their decoded samples in order, and seeks. Tests give the filter a
// scripted reader through ScopedMediaReaderFactory.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/picture_layout.h"
#include "win/platform_override.h"

namespace wallcine::media {

enum class ReaderStream { kVideo, kAudio };

struct VideoStreamFormat {
    int width = 0;  // the visible picture
    int height = 0;
    LONGLONG frame_duration = 0;  // 100-ns units; 0 when the file does not say
    // What the reader can deliver, preferred first; never empty.
    std::vector<PictureFormat> formats;
};

// Always integer PCM.
struct AudioStreamFormat {
    int channels = 0;
    int samples_per_second = 0;
    int bits_per_sample = 16;
    DWORD channel_mask = 0;  // speaker positions; 0 when the file does not say
};

// Whatever keeps a sample's bytes readable (a locked buffer, a test's array) until it is released.
class SampleBytesKeeper {
public:
    virtual ~SampleBytesKeeper() = default;
};

struct ReaderSample {
    LONGLONG time = 0;      // the sample's start in the file's time, 100-ns units
    LONGLONG duration = 0;  // 0 when the reader does not say
    std::span<const BYTE> bytes;  // audio: the PCM bytes
    PictureSource picture;        // video: where the picture's rows lie
    std::unique_ptr<SampleBytesKeeper> keeper;
};

class IMediaReader {
public:
    virtual ~IMediaReader() = default;

    virtual LONGLONG Duration() const = 0;  // 100-ns units
    virtual const std::optional<VideoStreamFormat>& Video() const = 0;
    virtual const std::optional<AudioStreamFormat>& Audio() const = 0;

    // What the video stream delivers from the next Read on: one of Video()->formats.
    virtual HRESULT SetPictureFormat(PictureFormat format) = 0;
    // A stream nobody reads is switched off, or the reader would keep its samples in memory.
    virtual HRESULT SetStreamEnabled(ReaderStream stream, bool enabled) = 0;
    // The stream's next sample: S_OK with `sample` filled, S_FALSE at its end, or the failure.
    // The two streams may be read from two threads at once.
    virtual HRESULT Read(ReaderStream stream, ReaderSample& sample) = 0;
    // Both streams go on from `position` (100-ns units): their next samples start at or before it.
    // Never called while a Read runs.
    virtual HRESULT Seek(LONGLONG position) = 0;
};

class IMediaReaderFactory {
public:
    virtual ~IMediaReaderFactory() = default;
    // S_OK with `reader` set, or the failure and `reader` empty. A file with neither a video nor
    // an audio stream that can be decoded is a failure.
    virtual HRESULT Open(const std::wstring& path, std::unique_ptr<IMediaReader>& reader) = 0;
};

// Media Foundation's Source Reader unless a test installed another.
IMediaReaderFactory& MediaReaderFactory();

class ScopedMediaReaderFactory : public win::ScopedOverride<IMediaReaderFactory> {
public:
    explicit ScopedMediaReaderFactory(IMediaReaderFactory& replacement);
};

}  // namespace wallcine::media
