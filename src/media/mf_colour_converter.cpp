#include "media/mf_colour_converter.h"

#include <mfapi.h>
#include <mferror.h>
#include <wmcodecdsp.h>

#include "win/object_factory.h"

namespace wallcine::media {

HRESULT ColourConverter::Create(IMFMediaType& input, std::unique_ptr<ColourConverter>& converter) {
    converter.reset();
    UINT32 width = 0, height = 0;
    HRESULT hr = ::MFGetAttributeSize(&input, MF_MT_FRAME_SIZE, &width, &height);
    if (FAILED(hr)) return hr;
    win::com_ptr<IMFTransform> transform;
    if (FAILED(hr = win::CreateObject(CLSID_CColorConvertDMO, transform))) return hr;
    if (FAILED(hr = transform->SetInputType(0, &input, 0))) return hr;

    win::com_ptr<IMFMediaType> output;
    if (FAILED(hr = ::MFCreateMediaType(output.put()))) return hr;
    const LONG pitch = static_cast<LONG>(width) * 4;
    output->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    output->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32);
    ::MFSetAttributeSize(output.get(), MF_MT_FRAME_SIZE, width, height);
    // A positive stride asks for the top row first.
    output->SetUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(pitch));
    if (FAILED(hr = transform->SetOutputType(0, output.get(), 0))) return hr;

    MFT_OUTPUT_STREAM_INFO info{};
    if (FAILED(hr = transform->GetOutputStreamInfo(0, &info))) return hr;
    // The converter writes into samples the caller provides, at least a whole frame large.
    const DWORD frame_bytes = static_cast<DWORD>(pitch) * height;
    converter.reset(new ColourConverter(std::move(transform), info.cbSize > frame_bytes ? info.cbSize : frame_bytes, pitch));
    return S_OK;
}

HRESULT ColourConverter::Convert(IMFSample& input, win::com_ptr<IMFSample>& output) {
    output.reset();
    HRESULT hr = transform_->ProcessInput(0, &input, 0);
    if (FAILED(hr)) return hr;

    win::com_ptr<IMFSample> frame;
    win::com_ptr<IMFMediaBuffer> buffer;
    if (FAILED(hr = ::MFCreateSample(frame.put()))) return hr;
    if (FAILED(hr = ::MFCreateMemoryBuffer(output_bytes_, buffer.put()))) return hr;
    if (FAILED(hr = frame->AddBuffer(buffer.get()))) return hr;

    MFT_OUTPUT_DATA_BUFFER data{};
    data.pSample = frame.get();
    DWORD status = 0;
    hr = transform_->ProcessOutput(0, 1, &data, &status);
    // The transform may hand back events with the frame; they are its, to release.
    win::com_ptr<IMFCollection> events = win::com_ptr<IMFCollection>::attach(data.pEvents);
    if (FAILED(hr)) return hr;

    LONGLONG value = 0;
    if (SUCCEEDED(input.GetSampleTime(&value))) frame->SetSampleTime(value);
    if (SUCCEEDED(input.GetSampleDuration(&value))) frame->SetSampleDuration(value);
    output = std::move(frame);
    return S_OK;
}

void ColourConverter::Flush() noexcept { transform_->ProcessMessage(MFT_MESSAGE_COMMAND_FLUSH, 0); }

}  // namespace wallcine::media
