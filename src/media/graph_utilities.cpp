#include "media/graph_utilities.h"

#include <ocidl.h>
#include <olectl.h>

#include <cwchar>

#include "media/filter_list.h"
#include "win/com_ptr.h"
#include "win/unique_handle.h"

namespace wallcine::media {

std::wstring RotItemName(const void* graph, DWORD process_id) {
    // The pointer in the platform's width: eight digits on 32-bit Windows, sixteen on x64.
    wchar_t name[96];
    std::swprintf(name, sizeof name / sizeof name[0], L"FilterGraph %0*llX pid %lX",
                  static_cast<int>(sizeof(void*) * 2), static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(graph)),
                  static_cast<unsigned long>(process_id));
    return name;
}

HRESULT RegisterGraphInRot(IUnknown* graph, DWORD& cookie) {
    win::com_ptr<IRunningObjectTable> table;
    HRESULT hr = ::GetRunningObjectTable(0, table.put());
    if (FAILED(hr)) return hr;
    win::com_ptr<IMoniker> moniker;
    hr = ::CreateItemMoniker(L"!", RotItemName(graph, ::GetCurrentProcessId()).c_str(), moniker.put());
    if (FAILED(hr)) return hr;
    return table->Register(0, graph, moniker.get(), &cookie);
}

HRESULT RevokeGraphFromRot(DWORD cookie) {
    win::com_ptr<IRunningObjectTable> table;
    const HRESULT hr = ::GetRunningObjectTable(0, table.put());
    if (FAILED(hr)) return hr;
    return table->Revoke(cookie);
}

namespace {

HRESULT ShowPropertyPages(HWND parent, IBaseFilter* filter) {
    win::com_ptr<ISpecifyPropertyPages> pages_source;
    HRESULT hr = filter->QueryInterface(IID_ISpecifyPropertyPages, pages_source.put_void());
    if (hr != S_OK) return hr;
    CAUUID pages{};
    hr = pages_source->GetPages(&pages);
    const win::unique_cotaskmem page_array(pages.pElems);
    if (hr != S_OK) return hr;
    ScopedFilterInfo info;
    if ((hr = filter->QueryFilterInfo(&info)) != S_OK) return hr;
    IUnknown* object = filter;
    return ::OleCreatePropertyFrame(parent, 0, 0, info.achName, 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
}

HRESULT ShowCaptureDialog(HWND parent, IBaseFilter* filter, int dialog) {
    win::com_ptr<IAMVfwCaptureDialogs> dialogs;
    HRESULT hr = filter->QueryInterface(IID_IAMVfwCaptureDialogs, dialogs.put_void());
    if (hr != S_OK) return hr;
    if ((hr = dialogs->HasDialog(dialog)) != S_OK) return hr;
    return dialogs->ShowDialog(dialog, parent);
}

HRESULT ShowCompressDialog(HWND parent, IBaseFilter* filter, int dialog, int probe) {
    win::com_ptr<IAMVfwCompressDialogs> dialogs;
    HRESULT hr = filter->QueryInterface(IID_IAMVfwCompressDialogs, dialogs.put_void());
    if (hr != S_OK) return hr;
    // Asking with the query code and no window tells whether the codec has that dialog.
    if ((hr = dialogs->ShowDialog(probe, nullptr)) != S_OK) return hr;
    return dialogs->ShowDialog(dialog, parent);
}

}  // namespace

HRESULT ShowFilterDialog(HWND parent, IBaseFilter* filter, TFilterDialogKind kind) {
    if (!filter) return S_FALSE;
    switch (kind) {
    case fdkPropertyPages: return ShowPropertyPages(parent, filter);
    case fdkCaptureDisplay: return ShowCaptureDialog(parent, filter, VfwCaptureDialog_Display);
    case fdkCaptureFormat: return ShowCaptureDialog(parent, filter, VfwCaptureDialog_Format);
    case fdkCaptureSource: return ShowCaptureDialog(parent, filter, VfwCaptureDialog_Source);
    case fdkCompressConfig: return ShowCompressDialog(parent, filter, VfwCompressDialog_Config, VfwCompressDialog_QueryConfig);
    case fdkCompressAbout: return ShowCompressDialog(parent, filter, VfwCompressDialog_About, VfwCompressDialog_QueryAbout);
    }
    return S_FALSE;
}

}  // namespace wallcine::media
