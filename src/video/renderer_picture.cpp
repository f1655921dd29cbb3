#include "video/renderer_picture.h"

#include "media/filter_list.h"

namespace wallcine::video {

bool RendererConnected(IBaseFilter* renderer) {
    if (!renderer) return false;
    const media::TPinList pins(renderer);
    for (int index = 0; index < pins.Count(); ++index) {
        win::com_ptr<IPin> peer;
        if (SUCCEEDED(pins.Pins(index)->ConnectedTo(peer.put())) && peer) return true;
    }
    return false;
}

SIZE PictureShape(IBaseFilter* renderer) {
    SIZE shape{};
    if (auto video2 = PictureInterface<IBasicVideo2>(renderer);
        video2 && SUCCEEDED(video2->GetPreferredAspectRatio(&shape.cx, &shape.cy)) && shape.cx > 0 && shape.cy > 0)
        return shape;
    shape = {};
    if (auto video = PictureInterface<IBasicVideo>(renderer); video && FAILED(video->GetVideoSize(&shape.cx, &shape.cy)))
        shape = {};
    return shape;
}

}  // namespace wallcine::video
