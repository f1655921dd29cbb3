#include "media/source_enumerators.h"

#include <atomic>
#include <new>
#include <utility>

#include "win/com_ptr.h"

namespace wallcine::media {

namespace {

// One enumerator over a shared list: `Items` holds the list and whatever keeps it valid, and
// hands out its n-th item with a reference (or a copy) of its own.
template <class Interface, class Items>
class ListEnumerator final : public Interface {
public:
    using Item = typename Items::Item;

    ListEnumerator(Items items, size_t position) noexcept : items_(std::move(items)), position_(position) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count != 1 && !fetched)) return E_POINTER;
        ULONG given = 0;
        while (given < count && position_ < items_.Count()) {
            out[given] = items_.HandOut(position_);
            if (!out[given]) break;  // out of memory: what was handed out stands
            ++position_;
            ++given;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.Count() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) ListEnumerator(items_, position_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~ListEnumerator() = default;
    std::atomic<ULONG> references_{1};
    Items items_;
    size_t position_;
};

struct PinItems {
    using Item = IPin*;
    win::com_ptr<IBaseFilter> owner;  // keeps the pins alive
    std::vector<IPin*> pins;

    PinItems(win::com_ptr<IBaseFilter> filter, std::vector<IPin*> list) noexcept
        : owner(std::move(filter)), pins(std::move(list)) {}
    PinItems(const PinItems& other) : owner(other.owner.clone()), pins(other.pins) {}
    PinItems(PinItems&&) noexcept = default;
    size_t Count() const noexcept { return pins.size(); }
    IPin* HandOut(size_t index) const noexcept {
        pins[index]->AddRef();
        return pins[index];
    }
};

struct MediaTypeItems {
    using Item = AM_MEDIA_TYPE*;
    std::shared_ptr<const std::vector<media_type>> types;

    size_t Count() const noexcept { return types->size(); }
    AM_MEDIA_TYPE* HandOut(size_t index) const noexcept { return CopyMediaTypeToTaskMemory((*types)[index].get()); }
};

}  // namespace

HRESULT CreatePinEnumerator(IBaseFilter& owner, std::vector<IPin*> pins, IEnumPins** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) ListEnumerator<IEnumPins, PinItems>(
        PinItems(win::com_ptr<IBaseFilter>::copy_from(&owner), std::move(pins)), 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateMediaTypeEnumerator(std::shared_ptr<const std::vector<media_type>> types, IEnumMediaTypes** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) ListEnumerator<IEnumMediaTypes, MediaTypeItems>(MediaTypeItems{std::move(types)}, 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace wallcine::media
