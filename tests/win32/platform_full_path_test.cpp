// Our path rules against the real GetFullPathNameW: the table both builds test
// our own rules with is what Wine answers.
#include "platform/win32/WindowsSupport.h"

#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "unit/platform_path_cases.h"

namespace dw {
namespace {

std::wstring RealFullPath(const std::wstring& path) {
  wchar_t buffer[1024] = {};
  DWORD length = GetFullPathNameW(path.c_str(), 1024, buffer, nullptr);
  return std::wstring(buffer, length);
}

TEST(FullPathDifferential, TableMatchesGetFullPathNameW) {
  for (const auto& c : test::kFullPathCases) {
    EXPECT_EQ(RealFullPath(CombineWithBase(c.path, c.base)), c.expected)
        << "path [" << WideToUtf8(c.path) << "] base [" << WideToUtf8(c.base) << "]";
  }
}

}  // namespace
}  // namespace dw
