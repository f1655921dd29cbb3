#include "media/media_reader.h"

#include "media/mf_source_reader.h"

namespace wallcine::media {

namespace {
IMediaReaderFactory* current_factory = nullptr;
}  // namespace

IMediaReaderFactory& MediaReaderFactory() { return current_factory ? *current_factory : SystemMediaReaderFactory(); }

ScopedMediaReaderFactory::ScopedMediaReaderFactory(IMediaReaderFactory& replacement)
    : ScopedOverride<IMediaReaderFactory>(current_factory, replacement) {}

}  // namespace wallcine::media
