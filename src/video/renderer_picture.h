// Asking a video renderer about its picture. Only a renderer whose input is connected has one:
// Wine's renderer dereferences the media type it does not have when IBasicVideo is asked for the
// picture of an unconnected input (a page fault; Windows answers an error). Every question about
// the picture goes through here.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include "win/com_ptr.h"

namespace wallcine::video {

// Whether any pin of the renderer is connected, i.e. the item has a picture to show.
bool RendererConnected(IBaseFilter* renderer);

// The renderer's picture interface (IBasicVideo or IBasicVideo2); null when the renderer is
// null, not connected, or does not offer it.
template <class BasicVideo>
win::com_ptr<BasicVideo> PictureInterface(IBaseFilter* renderer) {
    win::com_ptr<BasicVideo> video;
    if (RendererConnected(renderer) && renderer->QueryInterface(__uuidof(BasicVideo), video.put_void()) != S_OK)
        video.reset();
    return video;
}

// The picture's shape: its preferred aspect ratio where the renderer knows one (non-square
// pixels), else its size in pixels; 0 x 0 when the renderer has no picture.
SIZE PictureShape(IBaseFilter* renderer);

}  // namespace wallcine::video
