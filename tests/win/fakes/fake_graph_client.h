// FakeGraphClient: one object that is both a filter client and an event client of a
// TFilterGraph, like the video window it stands in for. Its filter (named "<name>-filter") is
// made with it; the client offers it from fcoBeforeAdd until fcoAfterRemove, as a client that
// creates and releases its filter then would. Every call is written to the shared trace.
#pragma once

#include <optional>
#include <string>

#include "fakes/fake_dshow.h"
#include "fakes/fake_filter.h"
#include "media/graph_clients.h"

namespace wallcine::test {

class FakeGraphClient final : public media::IGraphFilterClient,
                              public media::IGraphEventClient,
                              public FakeComObject {
public:
    FakeGraphClient(Trace& trace, const std::string& name);

    // Knob: HandleGraphEvent throws wallcine::Exception("<name> failed on event <code>") for
    // this code (after writing its trace line).
    std::optional<LONG> throw_on_event;

    FakeFilter filter;
    bool OffersFilter() const noexcept { return offers_filter_; }

    media::IGraphFilterClient* AsFilterClient() noexcept { return this; }
    media::IGraphEventClient* AsEventClient() noexcept { return this; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    win::com_ptr<IBaseFilter> ProvideFilter() override;
    std::wstring ProvideFilterName() override;
    void HandleFilterOperation(media::TFilterClientOperation operation, LONG param) override;
    void HandleGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2) override;
    void HandleControlEvent(media::TGraphControlEvent event, LONG param) override;

private:
    Trace& trace_;
    std::string name_;
    bool offers_filter_ = false;
};

// Readable names for the trace.
const char* OperationName(media::TFilterClientOperation operation);
const char* ControlEventName(media::TGraphControlEvent event);
// The trace line of `who` receiving a graph event: "<who>.HandleGraphEvent <code> <p1> <p2>".
std::string GraphEventLine(const std::string& who, LONG code, LONG_PTR param1, LONG_PTR param2);

}  // namespace wallcine::test
