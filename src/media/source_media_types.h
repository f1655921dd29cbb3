// DirectShow media types of Wallcine's media source: an owner for an AM_MEDIA_TYPE and its format
// block, the types of a reader's video and audio streams, the copies handed to DirectShow
// callers (who free them), and the comparisons a pin makes when it connects.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <optional>

#include "core/picture_layout.h"
#include "media/media_reader.h"

namespace wallcine::media {

// Frees what an AM_MEDIA_TYPE's fields hold (the format block, the object) and zeroes them.
void FreeMediaTypeContents(AM_MEDIA_TYPE& type) noexcept;
// Fills `target` with a deep copy of `source`; E_OUTOFMEMORY leaves it zeroed.
HRESULT CopyMediaTypeContents(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source) noexcept;
// A deep copy in task memory, as IEnumMediaTypes::Next hands out (the caller frees both the
// format block and the structure); null when memory runs out.
AM_MEDIA_TYPE* CopyMediaTypeToTaskMemory(const AM_MEDIA_TYPE& source) noexcept;

// One AM_MEDIA_TYPE with what it points to; move-only, copied only by clone().
class media_type {
public:
    media_type() noexcept : type_{} {}
    ~media_type() { FreeMediaTypeContents(type_); }
    media_type(media_type&& other) noexcept : type_(other.type_) { other.type_ = {}; }
    media_type& operator=(media_type&& other) noexcept;
    media_type(const media_type&) = delete;
    media_type& operator=(const media_type&) = delete;

    // Empty when memory runs out.
    static media_type copy_of(const AM_MEDIA_TYPE& source) noexcept;
    media_type clone() const noexcept { return copy_of(type_); }
    void reset() noexcept { FreeMediaTypeContents(type_); }
    const AM_MEDIA_TYPE& get() const noexcept { return type_; }
    AM_MEDIA_TYPE& edit() noexcept { return type_; }

private:
    AM_MEDIA_TYPE type_;
};

// Uncompressed video as the reader delivers it: VIDEOINFOHEADER with the visible size, rows
// tight, RGB stored bottom-up.
media_type VideoMediaType(PictureFormat format, const VideoStreamFormat& stream);
// Integer PCM; WAVEFORMATEXTENSIBLE beyond two channels or 16 bits, or with named speakers.
media_type AudioMediaType(const AudioStreamFormat& stream);

// The picture format of one of VideoMediaType's types.
std::optional<PictureFormat> PictureFormatOf(const AM_MEDIA_TYPE& type) noexcept;

// The header of a video type's bitmap (VIDEOINFOHEADER or VIDEOINFOHEADER2); null otherwise.
const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE& type) noexcept;

// The same major type, subtype, format type and format block.
bool SameMediaType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) noexcept;
// `offered` fits a partial type whose GUID_NULL fields match anything (IPin::Connect's wish).
bool MatchesPartialType(const AM_MEDIA_TYPE& offered, const AM_MEDIA_TYPE& partial) noexcept;
// `candidate` shows the same picture as `offered` in another row layout: what a renderer asks
// for when it wants the rows as wide as its surface's (a dynamic format change).
bool IsPictureLayoutOf(const AM_MEDIA_TYPE& candidate, const AM_MEDIA_TYPE& offered) noexcept;

}  // namespace wallcine::media
