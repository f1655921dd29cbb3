// What every DirectShow fake shares: one ordered trace that fakes and clients write readable
// lines to, a reference count that starts at the test's own reference, and the failure of a
// call the test does not expect. The fakes themselves live in fake_filter.h (pins, filters,
// enumerators), fake_graph.h (graph, builders, object factory) and fake_graph_client.h.
#pragma once

#include <windows.h>

// DirectShow with the interface identifiers MinGW leaves out (for __uuidof and typed queries).
#include "win/dshow.h"

#include <atomic>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace wallcine::test {

// Lines like "c1.HandleFilterOperation fcoBeforeAdd" or "control.Run", in call order.
using Trace = std::vector<std::string>;

// The trace without the lines that contain any of `parts` (to leave out calls whose count a
// test does not care about).
Trace Without(const Trace& trace, std::initializer_list<const char*> parts);

// Names are plain ASCII in the tests; this keeps trace lines readable.
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text);

// "IFilterGraph2", "CLSID_FilterGraph", ... for the few identifiers the fakes meet; "other"
// for the rest.
std::string GuidName(REFGUID guid);

// A COM object owned by the test: it lives on the stack or in a fixture and starts with one
// reference, the test's. Releasing that last reference would destroy a real object, so it
// fails the test; the count is checked at the end of every test (ExpectOnlyOwnerReferences).
class FakeComObject {
public:
    explicit FakeComObject(std::string label) : label_(std::move(label)) {}
    virtual ~FakeComObject() = default;
    FakeComObject(const FakeComObject&) = delete;
    FakeComObject& operator=(const FakeComObject&) = delete;

    LONG RefCount() const noexcept { return refs_; }
    const std::string& Label() const noexcept { return label_; }

protected:
    ULONG AddRefImpl() noexcept { return static_cast<ULONG>(++refs_); }
    ULONG ReleaseImpl();
    // Fails the test: a call the fake was not written to expect.
    HRESULT Unexpected(const char* method) const;

private:
    std::string label_;
    // Atomic: a source's delivery threads hand fake samples and pins around too.
    std::atomic<LONG> refs_{1};
};

// Every object is back to the test's one reference, and no enumerator the fakes handed out
// is still alive.
void ExpectOnlyOwnerReferences(std::initializer_list<const FakeComObject*> objects);
// The same for a list built at run time (a fake whose pins grow, say).
void ExpectOnlyOwnerReferences(const std::vector<const FakeComObject*>& objects);

}  // namespace wallcine::test

// AddRef and Release of a fake that derives from several interfaces: one count for all.
#define WALLCINE_FAKE_REFCOUNT                                                              \
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }                     \
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
