// Snapshot lists of a graph's filters (TFilterList) and of a filter's pins (TPinList), in the
// platform's enumeration order. They hold a reference on every item and on their source, and
// do not follow later changes of the graph or filter.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <vector>

#include "win/com_ptr.h"

namespace wallcine::media {

// A FILTER_INFO that releases the graph reference QueryFilterInfo put into it.
struct ScopedFilterInfo : FILTER_INFO {
    ScopedFilterInfo() noexcept : FILTER_INFO{} {}
    ~ScopedFilterInfo() {
        if (pGraph) pGraph->Release();
    }
    ScopedFilterInfo(const ScopedFilterInfo&) = delete;
    ScopedFilterInfo& operator=(const ScopedFilterInfo&) = delete;
};

class TFilterList {
public:
    // An empty list when `graph` is null.
    explicit TFilterList(IFilterGraph* graph);
    void Rebuild();  // appends the graph's filters, as the enumerator gives them

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    IBaseFilter* Filters(int index) const;  // raises EListError outside 0..Count-1
    // The filter's name and graph; the caller releases Info.pGraph (when set) when done.
    void FilterInfo(int index, FILTER_INFO& info) const;
    int Add(IBaseFilter* filter);
    int Remove(IBaseFilter* filter);  // the index it had (first occurrence by identity), or -1
    IFilterGraph* SourceGraph() const noexcept { return source_graph_.get(); }

private:
    win::com_ptr<IFilterGraph> source_graph_;
    std::vector<win::com_ptr<IBaseFilter>> items_;
};

class TPinList {
public:
    // An empty list when `filter` is null.
    explicit TPinList(IBaseFilter* filter);
    void Rebuild();  // empties the list and lists the filter's pins again

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    IPin* Pins(int index) const;  // raises EListError outside 0..Count-1
    int Add(IPin* pin);
    IBaseFilter* SourceFilter() const noexcept { return source_filter_.get(); }

private:
    win::com_ptr<IBaseFilter> source_filter_;
    std::vector<win::com_ptr<IPin>> items_;
};

}  // namespace wallcine::media
