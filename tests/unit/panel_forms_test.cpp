#include <gtest/gtest.h>

#include <utility>

#include "forms/forms.h"
#include "support/RecordingObserver.h"

namespace dw::test {

namespace {

using K = TComponentKind;

const std::vector<TLayoutRow> kSmallLayout = {
    {.Name = L"Pages", .Kind = K::PageControl, .Place = {8, 8, 200, 100}},
    {.Name = L"Intro", .Kind = K::Label, .Parent = L"Pages", .Caption = L"not a page"},
    {.Name = L"First", .Kind = K::TabSheet, .Parent = L"Pages", .Caption = L"One"},
    {.Name = L"Second", .Kind = K::TabSheet, .Parent = L"Pages", .Caption = L"Two"},
    {.Name = L"Box", .Kind = K::ComboBox, .Parent = L"First", .Items = {L"a", L"b", L"c"}, .ItemIndex = 2},
    {.Name = L"Bad", .Kind = K::ComboBox, .Parent = L"First", .Items = {L"a"}, .ItemIndex = 4},
    {.Name = L"List", .Kind = K::ListView, .Parent = L"Second", .Columns = {{L"Root", 40}}},
    {.Name = L"Menu", .Kind = K::PopupMenu},
    {.Name = L"Item", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"Drives", .Tag = -1},
};

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() : form(TFormStyle{.ClassName = L"TTest", .Caption = L"Test"}) {
    form.Build(kSmallLayout);
    form.SetObserver(&observer);
  }
  TForm form;
  RecordingObserver observer;
};

}  // namespace

TEST_F(FormsTest, BuildKeepsTheTableOrderAndActivatesTheFirstTabSheet) {
  ASSERT_EQ(form.Components().size(), kSmallLayout.size());
  for (size_t i = 0; i < kSmallLayout.size(); ++i) EXPECT_EQ(form.Components()[i]->Name(), kSmallLayout[i].Name);
  EXPECT_EQ(form.Component(L"Pages").ActivePage(), L"First");
  EXPECT_EQ(form.Component(L"Box").ItemIndex(), 2);
  EXPECT_EQ(form.Component(L"Bad").ItemIndex(), -1);
  EXPECT_EQ(form.Find(L"item"), &form.Component(L"Item"));
  EXPECT_EQ(form.Find(L"Missing"), nullptr);
  EXPECT_THROW(form.Component(L"Missing"), std::out_of_range);
}

TEST_F(FormsTest, ObserverHearsActualChangesOnly) {
  TComponent& item = form.Component(L"Item");
  item.SetCaption(L"Drives");
  item.SetTag(-1);
  item.SetCaption(L"Lecteurs");
  item.SetEnabled(false);
  item.SetEnabled(false);
  form.SetCaption(L"Test");
  form.SetCaption(L"Other");
  form.SetIconIndex(2);
  EXPECT_EQ(observer.changes, (std::vector<std::pair<std::wstring, TProperty>>{{L"Item", TProperty::Caption},
                                                                               {L"Item", TProperty::Enabled}}));
  EXPECT_EQ(observer.formChanges, (std::vector<TProperty>{TProperty::Caption, TProperty::Icon}));
}

TEST_F(FormsTest, ItemIndexAlwaysNamesAnItemOrNothing) {
  TComponent& box = form.Component(L"Box");
  for (int index : {3, 99, -5}) {
    box.SetItemIndex(index);
    EXPECT_EQ(box.ItemIndex(), -1) << index;
  }
  box.SetItemIndex(2);
  box.SetItems({L"x", L"y"});
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItemIndex(1);
  box.SetItems({L"p", L"q", L"r"});
  EXPECT_EQ(box.ItemIndex(), 1);
}

TEST_F(FormsTest, RowSelectionFollowsDeletionsAndRefills) {
  TComponent& list = form.Component(L"List");
  for (const wchar_t* root : {L"E:\\", L"F:\\", L"G:\\"}) list.AddRow({root, {L"label"}});
  list.SetSelectedRow(2);
  list.DeleteRow(0);
  EXPECT_EQ(list.SelectedRow(), 1);
  EXPECT_EQ(list.Rows()[1].Caption, L"G:\\");
  list.DeleteRow(1);
  EXPECT_EQ(list.SelectedRow(), -1);
  list.SetSelectedRow(7);
  EXPECT_EQ(list.SelectedRow(), -1);

  list.SetSelectedRow(0);
  list.SetRowChecked(0, true);
  list.SetRowChecked(5, true);
  EXPECT_TRUE(list.RowChecked(0));
  EXPECT_FALSE(list.RowChecked(5));
  list.ClearRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
}

TEST_F(FormsTest, SettersNeverRunEvents) {
  TComponent& box = form.Component(L"Box");
  TComponent& page = form.Component(L"Second");
  int events = 0;
  box.OnChange = box.OnClick = page.OnShow = [&](TComponent&) { ++events; };
  box.SetItemIndex(0);
  box.SetText(L"typed");
  form.Component(L"Pages").SetActivePage(L"Second");
  EXPECT_EQ(events, 0);
}

TEST_F(FormsTest, RunTimeSubItemsAreOwnedByTheirItemAndReported) {
  TComponent& item = form.Component(L"Item");
  int clicked = -2;
  TComponent& child = item.AddChild(L"USB (E:\\)", 0, [&](TComponent& s) { clicked = s.Tag(); });
  EXPECT_EQ(child.Kind(), K::MenuItem);
  EXPECT_EQ(child.ParentName(), L"Item");
  EXPECT_EQ(&child.Owner(), &form);
  child.OnClick(child);
  EXPECT_EQ(clicked, 0);
  item.ClearChildren();
  item.ClearChildren();
  EXPECT_TRUE(item.Children().empty());
  EXPECT_EQ(observer.changes, (std::vector<std::pair<std::wstring, TProperty>>{{L"Item", TProperty::Children},
                                                                               {L"Item", TProperty::Children}}));
  EXPECT_EQ(form.ChildrenOf(L"Menu").size(), 1u);
}

}  // namespace dw::test
