// The graph helpers around TFilterGraph: the filter and pin lists against fake graphs and
// filters, CheckGraphResult's exception, the running object table's item name and the filter
// dialogs' early exits.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "core/errors.h"
#include "fakes/fake_dshow.h"
#include "fakes/fake_filter.h"
#include "fakes/fake_graph.h"
#include "media/directshow_error.h"
#include "media/filter_list.h"
#include "media/graph_utilities.h"

namespace wallcine::media {
namespace {

using test::ExpectOnlyOwnerReferences;
using test::FakeFilter;
using test::FakeFilterGraph;
using test::FakePin;
using test::Trace;

// A graph holding filters a, b and c, added in that order.
class FilterListTest : public ::testing::Test {
protected:
    FilterListTest() {
        graph.AddFilter(&a, L"a");
        graph.AddFilter(&b, L"b");
        graph.AddFilter(&c, L"c");
    }
    void TearDown() override {
        graph.DropFilters();
        ExpectOnlyOwnerReferences({&graph, &a, &b, &c, &d, &a_in, &a_out});
    }

    Trace trace;
    FakeFilterGraph graph{trace};
    FakeFilter a{L"a"}, b{L"b"}, c{L"c"}, d{L"d"};
    FakePin a_in{a, L"In", PINDIR_INPUT};
    FakePin a_out{a, L"Out", PINDIR_OUTPUT};
};

TEST_F(FilterListTest, FilterListIsASnapshotInEnumerationOrderHoldingItsItems) {
    {
        TFilterList list(graph.Graph());
        ASSERT_EQ(list.Count(), 3);
        EXPECT_EQ(list.Filters(0), &a);
        EXPECT_EQ(list.Filters(1), &b);
        EXPECT_EQ(list.Filters(2), &c);
        EXPECT_EQ(list.SourceGraph(), static_cast<IFilterGraph*>(graph.Graph()));
        EXPECT_EQ(a.RefCount(), 3) << "test, graph and list";
        EXPECT_EQ(graph.RefCount(), 2) << "test and list";

        graph.AddFilter(&d, L"d");
        EXPECT_EQ(list.Count(), 3) << "the list does not follow the graph";
        EXPECT_EQ(list.Add(&d), 3);
        EXPECT_EQ(list.Filters(3), &d);
    }
    EXPECT_EQ(a.RefCount(), 2);
    EXPECT_EQ(d.RefCount(), 2);
    EXPECT_EQ(graph.RefCount(), 1);
}

TEST_F(FilterListTest, RemoveGivesTheIndexTheFilterHadOrMinusOne) {
    TFilterList list(graph.Graph());
    EXPECT_EQ(list.Remove(&b), 1);
    EXPECT_EQ(b.RefCount(), 2) << "the list let go of b";
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Filters(1), &c);
    EXPECT_EQ(list.Remove(&b), -1);
    EXPECT_EQ(list.Remove(&d), -1);
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(FilterListTest, FilterInfoGivesTheNameInTheGraphAndAReferenceToTheGraph) {
    TFilterList list(graph.Graph());
    FILTER_INFO info{};
    list.FilterInfo(1, info);
    EXPECT_STREQ(info.achName, L"b");
    EXPECT_EQ(info.pGraph, static_cast<IFilterGraph*>(graph.Graph()));
    if (info.pGraph) info.pGraph->Release();
}

TEST_F(FilterListTest, IndexOutsideTheListRaisesListError) {
    TFilterList filters(graph.Graph());
    TPinList pins(&a);
    for (int index : {-1, 3}) EXPECT_THROW(filters.Filters(index), EListError) << index;
    try {
        pins.Pins(2);
        ADD_FAILURE() << "Pins(2) of two pins raised nothing";
    } catch (const EListError& error) {
        EXPECT_EQ(error.index(), 2);
    }
}

TEST_F(FilterListTest, PinListFollowsTheFiltersEnumeration) {
    {
        TPinList pins(&a);
        ASSERT_EQ(pins.Count(), 2);
        EXPECT_EQ(pins.Pins(0), &a_in);
        EXPECT_EQ(pins.Pins(1), &a_out);
        EXPECT_EQ(pins.SourceFilter(), &a);
        EXPECT_EQ(a_in.RefCount(), 2);
    }
    EXPECT_EQ(a_in.RefCount(), 1);
}

TEST(FilterListNull, NullSourcesGiveEmptyLists) {
    TFilterList filters(nullptr);
    TPinList pins(nullptr);
    EXPECT_EQ(filters.Count(), 0);
    EXPECT_EQ(filters.SourceGraph(), nullptr);
    EXPECT_EQ(pins.Count(), 0);
    EXPECT_THROW(filters.Filters(0), EListError);
}

// --- CheckGraphResult -----------------------------------------------------------------------------

TEST(CheckGraphResult, PassesSuccessCodesThrough) {
    for (HRESULT code : {S_OK, S_FALSE, VFW_S_PARTIAL_RENDER}) EXPECT_EQ(CheckGraphResult(code), code);
}

TEST(CheckGraphResult, RaisesFailuresWithThePlatformTextAndTheCode) {
    EXPECT_FALSE(DirectShowErrorText(E_FAIL).empty());
    struct Case {
        HRESULT code;
        const char* suffix;
    };
    for (const Case& c : {Case{E_FAIL, " ($80004005)."}, Case{VFW_E_NOT_FOUND, " ($80040216)."},
                          Case{E_NOINTERFACE, " ($80004002)."}, Case{REGDB_E_CLASSNOTREG, " ($80040154)."}}) {
        try {
            CheckGraphResult(c.code);
            ADD_FAILURE() << c.suffix << " raised nothing";
        } catch (const EDirectShowException& error) {
            EXPECT_EQ(error.ErrorResult(), c.code);
            EXPECT_EQ(std::string(error.what()), DirectShowErrorText(c.code) + c.suffix);
        }
    }
}

// --- RotItemName --------------------------------------------------------------------------------

struct RotNameCase {
    std::uintptr_t pointer;
    DWORD process_id;
    const wchar_t* expected64;
    const wchar_t* expected32;
    friend void PrintTo(const RotNameCase& c, std::ostream* os) {
        *os << std::hex << c.pointer << " pid " << c.process_id;
    }
};

class RotItemNameFormat : public ::testing::TestWithParam<RotNameCase> {};

TEST_P(RotItemNameFormat, PadsThePointerToItsWidthAndTheProcessIdNot) {
    const RotNameCase& c = GetParam();
    const wchar_t* expected = sizeof(void*) == 8 ? c.expected64 : c.expected32;
    EXPECT_EQ(RotItemName(reinterpret_cast<const void*>(c.pointer), c.process_id), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RotItemNameFormat,
    ::testing::Values(RotNameCase{0x12ab, 0x1f, L"FilterGraph 00000000000012AB pid 1F", L"FilterGraph 000012AB pid 1F"},
                      RotNameCase{0xabcdef01, 0xffffffff, L"FilterGraph 00000000ABCDEF01 pid FFFFFFFF",
                                  L"FilterGraph ABCDEF01 pid FFFFFFFF"},
                      RotNameCase{0, 0, L"FilterGraph 0000000000000000 pid 0", L"FilterGraph 00000000 pid 0"}));

// --- ShowFilterDialog ---------------------------------------------------------------------------

TEST(ShowFilterDialog, ReturnsEarlyWithoutAFilterOrItsPropertyPages) {
    FakeFilter filter{L"plain"};
    EXPECT_EQ(ShowFilterDialog(nullptr, nullptr, fdkPropertyPages), S_FALSE);
    EXPECT_EQ(ShowFilterDialog(nullptr, &filter, fdkPropertyPages), E_NOINTERFACE);
    ExpectOnlyOwnerReferences({&filter});
}

}  // namespace
}  // namespace wallcine::media
