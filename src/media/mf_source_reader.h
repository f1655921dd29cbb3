// The media reader over Media Foundation's Source Reader (synchronous mode): the file's first
// video and first audio stream, decoded, video as RGB32 where the reader's video processing gives
// it (advanced processing on Windows 8 and later, plain on 7), else as the YUV formats its decoder
// gives, with RGB32 from the Color Converter after them; audio as 16-bit PCM. Every other stream
// is switched off.
#pragma once

#include "media/media_reader.h"

namespace wallcine::media {

// The factory MediaReaderFactory() answers with when no test replaced it.
IMediaReaderFactory& SystemMediaReaderFactory();

}  // namespace wallcine::media
