// The active filters window with the application's other windows around it (AppRig): the
// names of the graph's filters in enumeration order when shown, an empty list without a graph,
// and the property pages of the double-clicked filter (none for no selection or a stale name).
#include <gtest/gtest.h>

#include <ocidl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/control_ids.h"
#include "fakes/app_rig.h"

namespace wallcine::app {
namespace {

using Rows = std::vector<std::string>;
constexpr int kRowHeight = 13;

// A filter that offers property pages; asking for them is recorded and fails, so no property
// frame is ever shown.
class PagedFilter final : public test::FakeFilter, public ISpecifyPropertyPages {
public:
    explicit PagedFilter(std::wstring name) : FakeFilter(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object && iid == __uuidof(ISpecifyPropertyPages)) {
            *object = static_cast<ISpecifyPropertyPages*>(this);
            AddRef();
            return S_OK;
        }
        return FakeFilter::QueryInterface(iid, object);
    }
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override {
        ++pages_asked;
        if (pages) *pages = {};
        return E_NOTIMPL;
    }

    int pages_asked = 0;
};

class ActiveFiltersWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.emplace();
        rig->CreateForms();
        ASSERT_TRUE(rig->form4);
    }
    void TearDown() override {
        rig.reset();
        test::ExpectOnlyOwnerReferences({&paged});
    }

    TForm4& Form() { return *rig->form4; }
    TListBox& List() { return rig->form4->ListBox1; }
    void DoubleClickRow(int row) {
        const LPARAM point = MAKELPARAM(20, row * kRowHeight + kRowHeight / 2);
        ::SendMessageA(List().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageA(List().Handle(), WM_LBUTTONUP, 0, point);
        ::SendMessageA(List().Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        ::SendMessageA(List().Handle(), WM_LBUTTONUP, 0, point);
    }

    PagedFilter paged{L"Paged"};
    std::optional<test::AppRig> rig;
};

TEST_F(ActiveFiltersWindowTest, ShowingListsTheGraphsFiltersByNameInEnumerationOrder) {
    rig->graph.AddFilter(&paged, L"Paged");
    const Rows names = rig->graph.FilterNames();
    ASSERT_GE(names.size(), 3u) << "renderer, source and the added filter";

    Form().Show();

    EXPECT_EQ(List().Items(), names);
    char text[64] = {};
    ::GetWindowTextA(Form().Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Active Directshow Filters");
    RECT bounds{}, client{}, list{};
    ::GetWindowRect(Form().Handle(), &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 273);
    EXPECT_EQ(bounds.bottom - bounds.top, 392);
    ::GetClientRect(Form().Handle(), &client);
    ::GetWindowRect(List().Handle(), &list);
    EXPECT_EQ(list.right - list.left, client.right) << "the list fills the client area";
    EXPECT_EQ(list.bottom - list.top, client.bottom);
    Form().Hide();
}

TEST_F(ActiveFiltersWindowTest, TheListIsEmptyWithoutAGraphAndFollowsTheWindowsSize) {
    rig->form1->FilterGraph1.SetActive(false);
    List().SetItems({"left over"});
    Form().FormShow();
    EXPECT_EQ(List().Count(), 0);

    MINMAXINFO limits{};
    limits.ptMaxTrackSize = {5000, 5000};
    ::SendMessageA(Form().Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 240);
    EXPECT_EQ(limits.ptMinTrackSize.y, 240);
    EXPECT_EQ(limits.ptMaxTrackSize.y, 392);

    ::SetWindowPos(Form().Handle(), nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{}, list{};
    ::GetClientRect(Form().Handle(), &client);
    ::GetWindowRect(List().Handle(), &list);
    EXPECT_EQ(list.right - list.left, client.right);
    EXPECT_EQ(list.bottom - list.top, client.bottom);
}

TEST_F(ActiveFiltersWindowTest, DoubleClickingANameOpensThatFiltersPropertyPages) {
    rig->graph.AddFilter(&paged, L"Paged");
    Form().FormShow();
    const int row = static_cast<int>(List().Items().size()) - 1;
    ASSERT_EQ(List().Item(row), "Paged");

    DoubleClickRow(row);

    EXPECT_EQ(paged.pages_asked, 1);
}

TEST_F(ActiveFiltersWindowTest, NoSelectionAStaleNameOrNoGraphOpensNothing) {
    rig->graph.AddFilter(&paged, L"Paged");
    Form().FormShow();
    const int row = List().Count() - 1;

    Form().ListBox1DblClick();  // nothing selected
    EXPECT_EQ(paged.pages_asked, 0);

    // A new graph without the filter: the old name finds nothing.
    rig->graph.RemoveFilter(&paged);
    List().SetItemIndex(row);
    Form().ListBox1DblClick();
    EXPECT_EQ(paged.pages_asked, 0);
    EXPECT_EQ(List().Item(row), "Paged") << "the list does not follow the graph until shown again";

    rig->graph.AddFilter(&paged, L"Paged");
    rig->form1->FilterGraph1.SetActive(false);
    Form().ListBox1DblClick();
    EXPECT_EQ(paged.pages_asked, 0) << "no graph";
}

TEST_F(ActiveFiltersWindowTest, ANameOutsideAsciiIsShownInTheCodePageAndFoundAgain) {
    if (::GetACP() != 1252) GTEST_SKIP() << "the name needs code page 1252, this system has " << ::GetACP();
    PagedFilter accented{L"Filtre \u00e9t\u00e9"};
    rig->graph.AddFilter(&accented, L"Filtre \u00e9t\u00e9");
    Form().FormShow();
    const int row = List().Count() - 1;
    EXPECT_EQ(List().Item(row), "Filtre \xe9t\xe9");

    List().SetItemIndex(row);
    Form().ListBox1DblClick();
    EXPECT_EQ(accented.pages_asked, 1);
    rig->graph.RemoveFilter(&accented);
    test::ExpectOnlyOwnerReferences({&accented});
}

}  // namespace
}  // namespace wallcine::app
