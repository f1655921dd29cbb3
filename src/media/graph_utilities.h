// Helpers around a graph: its entry in the running object table (so an external graph
// inspector can attach to it) and the modal dialogs a filter offers.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <string>

namespace wallcine::media {

// "FilterGraph <graph pointer, upper-case hex> pid <process id, upper-case hex>".
std::wstring RotItemName(const void* graph, DWORD process_id);
HRESULT RegisterGraphInRot(IUnknown* graph, DWORD& cookie);
HRESULT RevokeGraphFromRot(DWORD cookie);

enum TFilterDialogKind {
    fdkPropertyPages = 0,
    fdkCaptureDisplay = 1,
    fdkCaptureFormat = 2,
    fdkCaptureSource = 3,
    fdkCompressConfig = 4,
    fdkCompressAbout = 5,
};

// Modal; S_FALSE for a null filter, otherwise the first failing code or the dialog's result.
HRESULT ShowFilterDialog(HWND parent, IBaseFilter* filter, TFilterDialogKind kind);

}  // namespace wallcine::media
