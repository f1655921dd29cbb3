#include "media/own_source_render.h"

#include <vfwmsgs.h>

#include <memory>

#include "media/media_reader.h"
#include "media/mf_source_filter.h"
#include "win/com_ptr.h"

namespace wallcine::media {

bool DirectShowCannotRender(HRESULT result) noexcept {
    switch (result) {
    case VFW_E_UNSUPPORTED_STREAM:
    case VFW_E_UNKNOWN_FILE_TYPE:
    case VFW_E_CANNOT_LOAD_SOURCE_FILTER:
    case VFW_E_CANNOT_RENDER:
    case VFW_E_CANNOT_CONNECT:
        return true;
    default:
        return false;
    }
}

HRESULT RenderWithOwnSource(IGraphBuilder& graph, const std::wstring& file_name, HRESULT directshow_error) {
    std::unique_ptr<IMediaReader> reader;
    if (FAILED(MediaReaderFactory().Open(file_name, reader))) return directshow_error;
    const bool has_video = reader->Video().has_value();
    win::com_ptr<IBaseFilter> source = CreateMediaFoundationSource(std::move(reader));
    if (FAILED(graph.AddFilter(source.get(), kMediaFoundationSourceName))) return directshow_error;

    // The pins, listed before any is rendered: video first, then audio.
    win::com_ptr<IPin> video, audio;
    if (has_video) source->FindPin(L"Video", video.put());
    source->FindPin(L"Audio", audio.put());
    const bool video_rendered = video && SUCCEEDED(graph.Render(video.get()));
    const bool audio_rendered = audio && SUCCEEDED(graph.Render(audio.get()));

    if (!video_rendered && !audio_rendered) {
        graph.RemoveFilter(source.get());
        return directshow_error;
    }
    if (video && !video_rendered) return VFW_S_VIDEO_NOT_RENDERED;
    if (audio && !audio_rendered) return VFW_S_AUDIO_NOT_RENDERED;
    return S_OK;
}

}  // namespace wallcine::media
