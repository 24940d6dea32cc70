#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "common/threadStringlist.h"

namespace dw {
namespace {

using Items = std::vector<std::wstring>;

TThreadStringList& Fill(TThreadStringList& list, const Items& items) {
  list.Clear();
  list.AddStrings(items);
  return list;
}

TEST(StringList, LookUpsIgnoreCaseAndFindTheFirstCopy) {
  TThreadStringList list;
  EXPECT_EQ(list.IndexOf(L"x"), -1);
  EXPECT_EQ(list.Count(), 0);

  EXPECT_EQ(list.Add(L"c:\\"), 0);
  EXPECT_EQ(list.Add(L"e:\\autorun.inf"), 1);
  EXPECT_EQ(list.Add(L"E:\\AUTORUN.INF"), 2);  // a copy is appended, never merged
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf(L"E:\\Autorun.Inf"), 1);
  EXPECT_EQ(list.IndexOf(L"e:\\\u00E9t\u00E9"), -1);
  list.Add(L"e:\\\u00C9T\u00C9");
  EXPECT_EQ(list.IndexOf(L"e:\\\u00E9t\u00E9"), 3);
  EXPECT_TRUE(list.Contains(L"C:\\"));

  // Remove takes the first match only.
  EXPECT_TRUE(list.Remove(L"e:\\autorun.INF"));
  EXPECT_EQ(list.Snapshot(), (Items{L"c:\\", L"E:\\AUTORUN.INF", L"e:\\\u00C9T\u00C9"}));
  EXPECT_FALSE(list.Remove(L"f:\\"));
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringList, OutOfRangeThrowsAndLeavesTheListUsable) {
  TThreadStringList list;
  Fill(list, {L"a", L"b"});
  EXPECT_THROW(list.Delete(2), std::out_of_range);
  EXPECT_THROW(list.Delete(-1), std::out_of_range);
  EXPECT_THROW(list.Strings(2), std::out_of_range);
  EXPECT_THROW(list.SetStrings(-1, L"x"), std::out_of_range);
  EXPECT_THROW(list.Names(5), std::out_of_range);
  EXPECT_THROW(list.Exchange(0, 2), std::out_of_range);
  EXPECT_THROW(list.Insert(3, L"x"), std::out_of_range);
  EXPECT_EQ(list.Snapshot(), (Items{L"a", L"b"}));

  // The lock was released on the way out: another thread still gets through.
  std::thread other([&] { list.Add(L"c"); });
  other.join();
  EXPECT_EQ(list.Snapshot(), (Items{L"a", L"b", L"c"}));
}

TEST(StringList, EditingMembers) {
  TThreadStringList list;
  Fill(list, {L"a", L"b", L"c"});
  list.Insert(0, L"first");
  list.Insert(4, L"last");  // at Count: appends
  list.Exchange(1, 3);
  list.SetStrings(2, L"B");
  list.Delete(0);
  EXPECT_EQ(list.Snapshot(), (Items{L"c", L"B", L"a", L"last"}));
  EXPECT_EQ(list.Strings(1), L"B");

  Fill(list, {L"b", L"\u00C9", L"A", L"a", L"e", L"C"});
  list.Sort();
  EXPECT_EQ(list.Snapshot(), (Items{L"A", L"a", L"b", L"C", L"e", L"\u00C9"}));

  list.Locked([](std::vector<std::wstring>& items) { items.erase(items.begin()); });
  EXPECT_EQ(list.Count(), 5);
}

TEST(StringList, NamesAndValues) {
  TThreadStringList list;
  Fill(list, {L"plain", L"Key=one", L"key=two", L"other=x=y"});
  EXPECT_EQ(list.Names(0), L"");
  EXPECT_EQ(list.Names(1), L"Key");
  EXPECT_EQ(list.IndexOfName(L"KEY"), 1);
  EXPECT_EQ(list.IndexOfName(L"plain"), -1);
  EXPECT_EQ(list.Values(L"key"), L"one");
  EXPECT_EQ(list.Values(L"other"), L"x=y");
  EXPECT_EQ(list.Values(L"missing"), L"");

  list.SetValues(L"KEY", L"three");
  list.SetValues(L"new", L"v");
  list.SetValues(L"other", L"");  // an empty value removes the item
  EXPECT_EQ(list.Snapshot(), (Items{L"plain", L"KEY=three", L"key=two", L"new=v"}));
}

TEST(StringList, TextUsesCrLfAndSplitsEveryKindOfLineBreak) {
  TThreadStringList list;
  Fill(list, {L"a", L"b"});
  EXPECT_EQ(list.Text(), L"a\r\nb\r\n");

  TThreadStringList copy;
  copy.SetText(list.Text());
  EXPECT_EQ(copy.Snapshot(), (Items{L"a", L"b"}));

  struct Case {
    const wchar_t* text;
    Items items;
  };
  const Case cases[] = {
      {L"", {}},
      {L"e:\\\r\n\r\nf:\\\r\n", {L"e:\\", L"", L"f:\\"}},  // an empty middle line is an entry
      {L"a\nb\rc", {L"a", L"b", L"c"}},
      {L"a\r\r\nb", {L"a", L"", L"b"}},
      {L"\r\n", {L""}},
      {L"only", {L"only"}},
  };
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(list.Snapshot(), c.items) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(StringList, CommaTextQuotesWhatTheReaderWouldSplit) {
  TThreadStringList list;
  Fill(list, {L"a", L"b c", L"say \"hi\"", L"x,y", L"", L"e:\\"});
  EXPECT_EQ(list.CommaText(), L"a,\"b c\",\"say \"\"hi\"\"\",\"x,y\",,e:\\");

  TThreadStringList back;
  back.SetCommaText(list.CommaText());
  EXPECT_EQ(back.Snapshot(), list.Snapshot());

  Fill(list, {L""});
  EXPECT_EQ(list.CommaText(), L"\"\"");
  Fill(list, {});
  EXPECT_EQ(list.CommaText(), L"");

  struct Case {
    const wchar_t* text;
    Items items;
  };
  const Case cases[] = {
      {L"a b,c", {L"a", L"b", L"c"}},  // unquoted blanks separate items
      {L"  a ,  b  ", {L"a", L"b"}},          {L"a,", {L"a", L""}},
      {L"a,,b", {L"a", L"", L"b"}},           {L"\"a b\"c,d", {L"a b", L"c", L"d"}},
      {L"\"unterminated", {L"unterminated"}}, {L"", {}},
  };
  for (const Case& c : cases) {
    back.SetCommaText(c.text);
    EXPECT_EQ(back.Snapshot(), c.items) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(StringList, TwoThreadsAddingLoseNothing) {
  TThreadStringList list;
  auto addMany = [&](const std::wstring& prefix) {
    for (int i = 0; i < 1000; ++i) list.Add(prefix + std::to_wstring(i));
  };
  std::thread first(addMany, L"a");
  std::thread second(addMany, L"b");
  first.join();
  second.join();
  EXPECT_EQ(list.Count(), 2000);
  for (int i = 0; i < 1000; i += 97) {
    EXPECT_GE(list.IndexOf(L"A" + std::to_wstring(i)), 0);
    EXPECT_GE(list.IndexOf(L"B" + std::to_wstring(i)), 0);
  }
}

TEST(StringList, RemoveIsOneStepAgainstConcurrentEditors) {
  // Each remover deletes exactly the item it looked up, even while another thread
  // shifts the indexes by removing others.
  TThreadStringList list;
  for (int i = 0; i < 1000; ++i) list.Add(L"item" + std::to_wstring(i));
  auto removeEvery = [&](int start) {
    for (int i = start; i < 1000; i += 2) EXPECT_TRUE(list.Remove(L"ITEM" + std::to_wstring(i)));
  };
  std::thread even(removeEvery, 0);
  std::thread odd(removeEvery, 1);
  even.join();
  odd.join();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace dw
