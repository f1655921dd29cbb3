// The second way to render a file: Wallcine's own media source (Media Foundation underneath), for
// the files DirectShow cannot render. Stock Windows has no DirectShow parser for MP4, MOV, MKV or
// WebM, while every Windows since 7 has Media Foundation to read them.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <string>

namespace wallcine::media {

// DirectShow's RenderFile found no way to play a file it could open: the format is not supported
// (VFW_E_UNSUPPORTED_STREAM), no source filter knows it (VFW_E_UNKNOWN_FILE_TYPE,
// VFW_E_CANNOT_LOAD_SOURCE_FILTER), or its streams lead to no renderer (VFW_E_CANNOT_RENDER,
// VFW_E_CANNOT_CONNECT). A missing or unreadable file is none of these.
bool DirectShowCannotRender(HRESULT result) noexcept;

// Adds the media source for the file to the graph under kMediaFoundationSourceName and renders
// each of its output pins. S_OK when all of them rendered; VFW_S_AUDIO_NOT_RENDERED or
// VFW_S_VIDEO_NOT_RENDERED when one of two did not. When the file cannot be opened or no pin
// renders, the source leaves the graph again and the result is `directshow_error`, the failure
// DirectShow gave, so the user hears the same as before.
HRESULT RenderWithOwnSource(IGraphBuilder& graph, const std::wstring& file_name, HRESULT directshow_error);

}  // namespace wallcine::media
