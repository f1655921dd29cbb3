// The enumerators Wallcine's media source hands out: of its pins (each one holding the filter,
// whose pins share its reference count) and of a pin's media types (copies the caller frees).
#pragma once

#include <windows.h>
#include <strmif.h>

#include <memory>
#include <vector>

#include "media/source_media_types.h"

namespace wallcine::media {

HRESULT CreatePinEnumerator(IBaseFilter& owner, std::vector<IPin*> pins, IEnumPins** out);
HRESULT CreateMediaTypeEnumerator(std::shared_ptr<const std::vector<media_type>> types, IEnumMediaTypes** out);

}  // namespace wallcine::media
