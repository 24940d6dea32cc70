#include "platform/win32/Win32Profile.h"

#include "platform/win32/WindowsSupport.h"

#include <vector>

#include "platform/Platform.h"

namespace dw {

namespace {

class Win32ProfileFilesImpl : public ProfileFiles {
 public:
  std::wstring ReadString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue, size_t bufferSize) override {
    if (bufferSize == 0) return {};
    if (bufferSize > 0x7FFFFFFF) bufferSize = 0x7FFFFFFF;
    std::vector<wchar_t> buffer(bufferSize, L'\0');
    DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                            static_cast<DWORD>(bufferSize), file.c_str());
    if (length >= bufferSize) length = static_cast<DWORD>(bufferSize - 1);
    return std::wstring(buffer.data(), length);
  }

  bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) override {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
  }
};

}  // namespace

ProfileFiles* Win32ProfileFiles() {
  static Win32ProfileFilesImpl files;
  return &files;
}

}  // namespace dw
