#include "platform/win32/Win32Policies.h"

#include "platform/win32/WindowsSupport.h"

#include <algorithm>

namespace dw {

namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Drivewarden";

win32::ScopedRegistryKey OpenPolicyKey(PolicyScope scope) {
  // The machine's policies are those of the 64-bit view, whichever view this
  // program would otherwise see; the user's key is shared by both views.
  HKEY root = scope == PolicyScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  REGSAM access = KEY_READ | (scope == PolicyScope::Machine ? KEY_WOW64_64KEY : 0);
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kPolicyKey, 0, access, &key) != ERROR_SUCCESS) return win32::ScopedRegistryKey();
  return win32::ScopedRegistryKey(key);
}

PolicyValue Unusable() { return PolicyValue{}; }

std::optional<PolicyValue> ReadValue(HKEY key, const std::wstring& name, size_t maxChars) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  LSTATUS status = RegGetValueW(key, nullptr, name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return Unusable();

  if (type == REG_DWORD) {
    if (size != sizeof(DWORD)) return Unusable();
    DWORD number = 0;
    DWORD numberSize = sizeof(number);
    if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_DWORD, nullptr, &number, &numberSize) != ERROR_SUCCESS)
      return Unusable();
    return PolicyValue::Number(number);
  }
  if (type != REG_SZ) return Unusable();

  // The size counts bytes and, for a value stored with it, the terminating NUL;
  // RegGetValueW adds one when the value lacks it. A value grown since the first
  // call fails with ERROR_MORE_DATA rather than overrunning the buffer.
  const size_t bound = (maxChars + 1) * sizeof(wchar_t);
  if (size > bound) return Unusable();
  std::wstring text(maxChars + 1, L'\0');
  DWORD textSize = static_cast<DWORD>(bound);
  if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &textSize) != ERROR_SUCCESS)
    return Unusable();
  text.resize(std::min<size_t>(textSize / sizeof(wchar_t), text.size()));
  const size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  if (text.size() > maxChars) return Unusable();
  return PolicyValue::Text(std::move(text));
}

class RegistryPolicies : public PolicyStore {
 public:
  std::optional<PolicyValue> Value(PolicyScope scope, const std::wstring& name, size_t maxChars) override {
    win32::ScopedRegistryKey key = OpenPolicyKey(scope);
    if (!key) return std::nullopt;
    return ReadValue(key.Get(), name, maxChars);
  }
};

}  // namespace

PolicyStore* Win32Policies() {
  static RegistryPolicies registry;
  return &registry;
}

}  // namespace dw
