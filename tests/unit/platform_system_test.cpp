// The real System of each build: what the portable code may count on from it.
#include <gtest/gtest.h>

#include "platform/Platform.h"

namespace dw {
namespace {

TEST(NativeSystem, AnsiCodePageIsWindows1252) {
  EXPECT_EQ(Sys().AnsiCodePage(), 1252u);
  // Letters the code page holds keep their byte; others become its "?", never a
  // look-alike letter.
  EXPECT_EQ(Sys().ToAnsi(L"\u00E9t\u00E9 \u20AC \u0100\u4E2D"), "\xE9t\xE9 \x80 ??");
  EXPECT_EQ(Sys().FromAnsi("\xE9t\xE9 \x80"), L"\u00E9t\u00E9 \u20AC");
  EXPECT_EQ(Sys().ToAnsi(L""), "");
  EXPECT_EQ(Sys().FromAnsi(""), L"");
}

TEST(NativeSystem, ErrorMessagesEndWithoutFullStopOrLineBreak) {
  for (uint32_t code : {kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied, kErrorAlreadyExists}) {
    std::wstring text = Sys().ErrorMessage(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << code;
    EXPECT_NE(text.back(), L'.') << code;
    EXPECT_NE(text.back(), L' ') << code;
  }
}

TEST(NativeSystem, TickCountFollowsSleep) {
  uint32_t before = Sys().TickCount();
  Sys().Sleep(50);
  uint32_t elapsed = Sys().TickCount() - before;
  // Coarse clocks tick in steps of about 16 ms.
  EXPECT_GE(elapsed, 30u);
}

TEST(NativeSystem, NamesAndFolders) {
  std::optional<std::wstring> user = Sys().UserName();
  ASSERT_TRUE(user.has_value());
  EXPECT_FALSE(user->empty());
  EXPECT_FALSE(Sys().SystemDirectory().empty());
  std::wstring data = Sys().SpecialFolder(kCsidlCommonAppData);
  ASSERT_FALSE(data.empty());
  EXPECT_NE(data.back(), L'\\');
  std::wstring program = Sys().ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), L'\\');
  EXPECT_EQ(Fs().Attributes(program) & kAttrDirectory, kAttrDirectory);
  EXPECT_FALSE(Sys().LocalDateTimeText().empty());
}

}  // namespace
}  // namespace dw
