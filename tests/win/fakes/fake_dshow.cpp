#include "fakes/fake_dshow.h"

#include <strmif.h>
#include <control.h>
#include <uuids.h>

#include <gtest/gtest.h>

#include "fakes/fake_filter.h"

namespace wallcine::test {

Trace Without(const Trace& trace, std::initializer_list<const char*> parts) {
    Trace kept;
    for (const std::string& line : trace) {
        bool drop = false;
        for (const char* part : parts) drop = drop || line.find(part) != std::string::npos;
        if (!drop) kept.push_back(line);
    }
    return kept;
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

std::string Narrow(const wchar_t* text) { return text ? Narrow(std::wstring(text)) : std::string("(null)"); }

std::string GuidName(REFGUID guid) {
    struct Known {
        const GUID& guid;
        const char* name;
    };
    static const Known known[] = {
        {CLSID_FilterGraph, "CLSID_FilterGraph"},
        {CLSID_CaptureGraphBuilder2, "CLSID_CaptureGraphBuilder2"},
        {CLSID_DvdGraphBuilder, "CLSID_DvdGraphBuilder"},
        {CLSID_VideoRenderer, "CLSID_VideoRenderer"},
        {CLSID_OverlayMixer, "CLSID_OverlayMixer"},
        {CLSID_Line21Decoder, "CLSID_Line21Decoder"},
        {__uuidof(IBaseFilter), "IBaseFilter"},
        {__uuidof(IUnknown), "IUnknown"},
        {__uuidof(IFilterGraph), "IFilterGraph"},
        {__uuidof(IGraphBuilder), "IGraphBuilder"},
        {__uuidof(IFilterGraph2), "IFilterGraph2"},
        {__uuidof(ICaptureGraphBuilder2), "ICaptureGraphBuilder2"},
        {__uuidof(IDvdGraphBuilder), "IDvdGraphBuilder"},
    };
    for (const Known& entry : known)
        if (IsEqualGUID(entry.guid, guid)) return entry.name;
    return "other";
}

ULONG FakeComObject::ReleaseImpl() {
    if (refs_ <= 1) ADD_FAILURE() << label_ << ": released the test's own reference (refcount was " << refs_ << ")";
    return static_cast<ULONG>(--refs_);
}

HRESULT FakeComObject::Unexpected(const char* method) const {
    ADD_FAILURE() << label_ << ": unexpected call " << method;
    return E_NOTIMPL;
}

void ExpectOnlyOwnerReferences(std::initializer_list<const FakeComObject*> objects) {
    ExpectOnlyOwnerReferences(std::vector<const FakeComObject*>(objects));
}

void ExpectOnlyOwnerReferences(const std::vector<const FakeComObject*>& objects) {
    for (const FakeComObject* object : objects)
        EXPECT_EQ(object->RefCount(), 1) << object->Label() << " is not back to the test's one reference";
    EXPECT_EQ(FakeEnumPins::Live(), 0) << "a pin enumerator was never released";
    EXPECT_EQ(FakeEnumFilters::Live(), 0) << "a filter enumerator was never released";
}

}  // namespace wallcine::test
