// The two interfaces through which components become clients of a TFilterGraph: a filter
// client contributes one filter that joins every activation of the graph; an event client hears
// every graph event and every control event (play, pause, stop, render, activation).
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <string>

#include "win/com_ptr.h"

namespace wallcine::media {

enum TFilterClientOperation : LONG {
    fcoBeforeAdd = 0,     // the filter is about to be added: the client creates it now
    fcoAfterAdd = 1,      // the filter is in the graph
    fcoBeforeRemove = 2,  // the filter is about to be removed
    fcoAfterRemove = 3,   // the filter has left the graph: the client releases it now
};

enum TGraphControlEvent : LONG {
    gcePlay = 0,
    gcePause = 1,
    gceStop = 2,
    gceRenderStarting = 3,
    gceRenderDone = 4,
    gceReserved5 = 5,  // never sent
    gceReserved6 = 6,  // never sent
    gceActiveChanged = 7,  // Param 0 when deactivation begins, 1 when activation has finished
};

// Both are reference-counted (IUnknown first) so the graph can hold its clients like any COM
// reference; the methods after IUnknown are plain C++ and may throw: an exception propagates to
// whoever called the graph operation that told the client.

// {887F94DA-29E9-44C6-B48E-1FBF0FB59878}
struct IGraphFilterClient : public IUnknown {
    // The client's current filter (may be empty before fcoBeforeAdd).
    virtual win::com_ptr<IBaseFilter> ProvideFilter() = 0;
    // The name under which the filter joins the graph.
    virtual std::wstring ProvideFilterName() = 0;
    // `param` is always 0.
    virtual void HandleFilterOperation(TFilterClientOperation operation, LONG param) = 0;
};

// {6C0DCD7B-1A98-44EF-A6D5-E23CBC24E620}
struct IGraphEventClient : public IUnknown {
    // Every graph event, before the graph component's own handlers; the parameters are valid
    // only during the call.
    virtual void HandleGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2) = 0;
    virtual void HandleControlEvent(TGraphControlEvent event, LONG param) = 0;
};

class TFilterGraph;

// Told when a graph component is destroyed, so a component that refers to it forgets it rather
// than calling a destroyed graph later. Not reference-counted: a listener removes itself (with
// TFilterGraph::RemoveFreeNotification) before it goes away.
class IGraphFreeNotification {
public:
    virtual void GraphDestroyed(TFilterGraph& graph) noexcept = 0;

protected:
    ~IGraphFreeNotification() = default;
};

}  // namespace wallcine::media

__CRT_UUID_DECL(wallcine::media::IGraphFilterClient, 0x887F94DA, 0x29E9, 0x44C6, 0xB4, 0x8E, 0x1F, 0xBF, 0x0F, 0xB5,
                0x98, 0x78)
__CRT_UUID_DECL(wallcine::media::IGraphEventClient, 0x6C0DCD7B, 0x1A98, 0x44EF, 0xA6, 0xD5, 0xE2, 0x3C, 0xBC, 0x24,
                0xE6, 0x20)
