// The registry's policy values through the real API, written into the test
// prefix under the user's policy key and taken away again. The value names are
// this process's own, so that a test running in parallel in the same prefix never
// sees a policy the program reads.
#include "platform/win32/WindowsSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace dw {
namespace {

constexpr wchar_t kKey[] = L"Software\\Policies\\Drivewarden";

class Win32PoliciesTest : public testing::Test {
 protected:
  Win32PoliciesTest() {
    HKEY key = nullptr;
    created_ = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                               &disposition_) == ERROR_SUCCESS;
    key_.Reset(key);
  }
  ~Win32PoliciesTest() override {
    for (const std::wstring& name : written_) RegDeleteValueW(key_.Get(), name.c_str());
    // The key goes only if this test made it and nothing else was put in it since.
    DWORD values = 0, subkeys = 0;
    const bool empty = RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       values == 0 && subkeys == 0;
    key_.Reset();
    if (disposition_ == REG_CREATED_NEW_KEY && empty) RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }

  std::wstring Name(const wchar_t* what) {
    std::wstring name = L"dwtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + what;
    written_.push_back(name);
    return name;
  }
  void Write(const std::wstring& name, DWORD type, const void* data, size_t bytes) {
    ASSERT_EQ(
        RegSetValueExW(key_.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes)),
        ERROR_SUCCESS);
  }
  void WriteText(const std::wstring& name, const std::wstring& text) {
    Write(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }

  bool created_ = false;
  DWORD disposition_ = 0;
  win32::ScopedRegistryKey key_;
  std::vector<std::wstring> written_;
};

TEST_F(Win32PoliciesTest, ValuesComeBackAsTheRegistryHoldsThemWithinTheirBound) {
  ASSERT_TRUE(created_);
  const DWORD number = 2;
  const std::wstring numberName = Name(L"number");
  Write(numberName, REG_DWORD, &number, sizeof(number));
  const std::wstring textName = Name(L"text");
  WriteText(textName, L"C:\\;e:\\;");
  const std::wstring atBound = Name(L"atbound");
  WriteText(atBound, std::wstring(16, L'x'));
  const std::wstring overBound = Name(L"overbound");
  WriteText(overBound, std::wstring(17, L'x'));
  const std::wstring huge = Name(L"huge");
  WriteText(huge, std::wstring(100000, L'y'));
  // Stored without its terminating NUL, and with a NUL inside.
  const std::wstring bare = Name(L"bare");
  Write(bare, REG_SZ, L"abc", 3 * sizeof(wchar_t));
  const std::wstring inner = Name(L"inner");
  Write(inner, REG_SZ, L"ab\0cd", 6 * sizeof(wchar_t));
  const std::wstring expandable = Name(L"expandable");
  Write(expandable, REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof(wchar_t));
  const std::wstring binary = Name(L"binary");
  Write(binary, REG_BINARY, "\x01\x02", 2);
  const std::wstring shortNumber = Name(L"shortnumber");
  Write(shortNumber, REG_DWORD, "\x01\x00", 2);

  PolicyStore& store = Policies();
  struct Case {
    std::wstring name;
    std::optional<PolicyValue::Type> type;
    uint32_t number;
    std::wstring text;
  };
  using T = PolicyValue::Type;
  const Case cases[] = {
      {numberName, T::Number, 2, L""},
      {textName, T::Text, 0, L"C:\\;e:\\;"},
      {atBound, T::Text, 0, std::wstring(16, L'x')},
      {overBound, T::Other, 0, L""},
      {huge, T::Other, 0, L""},
      {bare, T::Text, 0, L"abc"},
      {inner, T::Text, 0, L"ab"},
      {expandable, T::Other, 0, L""},
      {binary, T::Other, 0, L""},
      {shortNumber, T::Other, 0, L""},
      {L"dwtest-never-written", std::nullopt, 0, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name));
    std::optional<PolicyValue> value = store.Value(PolicyScope::User, c.name, 16);
    ASSERT_EQ(value.has_value(), c.type.has_value());
    if (!value) continue;
    EXPECT_EQ(value->type, *c.type);
    EXPECT_EQ(value->number, c.number);
    EXPECT_EQ(value->text, c.text);
  }
  // The machine's key is another one: nothing of the user's shows there.
  EXPECT_FALSE(store.Value(PolicyScope::Machine, numberName, 16).has_value());
}

}  // namespace
}  // namespace dw
