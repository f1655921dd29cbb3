#include "fakes/fake_graph_client.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace wallcine::test {

const char* OperationName(media::TFilterClientOperation operation) {
    switch (operation) {
    case media::fcoBeforeAdd: return "fcoBeforeAdd";
    case media::fcoAfterAdd: return "fcoAfterAdd";
    case media::fcoBeforeRemove: return "fcoBeforeRemove";
    case media::fcoAfterRemove: return "fcoAfterRemove";
    }
    return "fco?";
}

const char* ControlEventName(media::TGraphControlEvent event) {
    switch (event) {
    case media::gcePlay: return "gcePlay";
    case media::gcePause: return "gcePause";
    case media::gceStop: return "gceStop";
    case media::gceRenderStarting: return "gceRenderStarting";
    case media::gceRenderDone: return "gceRenderDone";
    case media::gceReserved5: return "gceReserved5";
    case media::gceReserved6: return "gceReserved6";
    case media::gceActiveChanged: return "gceActiveChanged";
    }
    return "gce?";
}

std::string GraphEventLine(const std::string& who, LONG code, LONG_PTR param1, LONG_PTR param2) {
    return Format("%s.HandleGraphEvent %ld %lld %lld", who.c_str(), static_cast<long>(code),
                  static_cast<long long>(param1), static_cast<long long>(param2));
}

FakeGraphClient::FakeGraphClient(Trace& trace, const std::string& name)
    : FakeComObject("client " + name),
      filter(std::wstring(name.begin(), name.end()) + L"-filter", &trace),
      trace_(trace),
      name_(name) {}

HRESULT FakeGraphClient::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(media::IGraphFilterClient))
        *object = static_cast<media::IGraphFilterClient*>(this);
    else if (iid == __uuidof(media::IGraphEventClient))
        *object = static_cast<media::IGraphEventClient*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

win::com_ptr<IBaseFilter> FakeGraphClient::ProvideFilter() {
    trace_.push_back(name_ + ".ProvideFilter");
    return offers_filter_ ? win::com_ptr<IBaseFilter>::copy_from(&filter) : nullptr;
}

std::wstring FakeGraphClient::ProvideFilterName() {
    trace_.push_back(name_ + ".ProvideFilterName");
    return filter.Name();
}

void FakeGraphClient::HandleFilterOperation(media::TFilterClientOperation operation, LONG param) {
    trace_.push_back(name_ + ".HandleFilterOperation " + OperationName(operation));
    EXPECT_EQ(param, 0) << name_ << ": a filter operation's parameter is always 0";
    if (operation == media::fcoBeforeAdd) offers_filter_ = true;
    if (operation == media::fcoAfterRemove) offers_filter_ = false;
}

void FakeGraphClient::HandleGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2) {
    trace_.push_back(GraphEventLine(name_, event_code, param1, param2));
    if (throw_on_event && *throw_on_event == event_code)
        throw Exception(Format("%s failed on event %ld", name_.c_str(), static_cast<long>(event_code)));
}

void FakeGraphClient::HandleControlEvent(media::TGraphControlEvent event, LONG param) {
    trace_.push_back(Format("%s.HandleControlEvent %s %ld", name_.c_str(), ControlEventName(event),
                            static_cast<long>(param)));
}

}  // namespace wallcine::test
