#include "media/filter_list.h"

#include "core/errors.h"

namespace wallcine::media {

namespace {

template <class Item>
Item* ItemAt(const std::vector<win::com_ptr<Item>>& items, int index) {
    if (index < 0 || index >= static_cast<int>(items.size())) throw EListError(index);
    return items[index].get();
}

// Appends what an enumerator gives, one at a time, until it answers anything but S_OK.
template <class Enumerator, class Item>
void AppendEnumerated(Enumerator* enumerator, std::vector<win::com_ptr<Item>>& items) {
    if (!enumerator) return;
    win::com_ptr<Item> item;
    while (enumerator->Next(1, item.put(), nullptr) == S_OK) items.push_back(std::move(item));
}

}  // namespace

TFilterList::TFilterList(IFilterGraph* graph) : source_graph_(win::com_ptr<IFilterGraph>::copy_from(graph)) {
    Rebuild();
}

void TFilterList::Rebuild() {
    // A refresh replaces the snapshot rather than listing every filter a second time.
    items_.clear();
    if (!source_graph_) return;
    win::com_ptr<IEnumFilters> filters;
    if (SUCCEEDED(source_graph_->EnumFilters(filters.put()))) AppendEnumerated(filters.get(), items_);
}

IBaseFilter* TFilterList::Filters(int index) const { return ItemAt(items_, index); }

void TFilterList::FilterInfo(int index, FILTER_INFO& info) const {
    IBaseFilter* filter = Filters(index);
    if (!filter) return;
    if (info.pGraph) {
        info.pGraph->Release();
        info.pGraph = nullptr;
    }
    filter->QueryFilterInfo(&info);
}

int TFilterList::Add(IBaseFilter* filter) {
    items_.push_back(win::com_ptr<IBaseFilter>::copy_from(filter));
    return Count() - 1;
}

int TFilterList::Remove(IBaseFilter* filter) {
    for (int index = 0; index < Count(); ++index) {
        if (items_[index].get() == filter) {
            items_.erase(items_.begin() + index);
            return index;
        }
    }
    return -1;
}

TPinList::TPinList(IBaseFilter* filter) : source_filter_(win::com_ptr<IBaseFilter>::copy_from(filter)) {
    Rebuild();
}

void TPinList::Rebuild() {
    items_.clear();
    if (!source_filter_) return;
    win::com_ptr<IEnumPins> pins;
    if (SUCCEEDED(source_filter_->EnumPins(pins.put()))) AppendEnumerated(pins.get(), items_);
}

IPin* TPinList::Pins(int index) const { return ItemAt(items_, index); }

int TPinList::Add(IPin* pin) {
    items_.push_back(win::com_ptr<IPin>::copy_from(pin));
    return Count() - 1;
}

}  // namespace wallcine::media
