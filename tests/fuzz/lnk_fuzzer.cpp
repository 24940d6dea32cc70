// Feeds arbitrary bytes to the shortcut parser, then resolves whatever it accepts
// against a made-up machine, so that every decoded string goes through resolution.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/lnk.h"

namespace {

class FuzzHost : public dw::TLinkHost {
 public:
  bool Exists(const std::wstring& path) override { return path.size() % 3 == 0; }
  uint32_t LogicalDrives() override { return 0x14; }  // C: and E:
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override { return base + path; }
  std::optional<std::wstring> Variable(const std::wstring& name) override {
    if (name.size() % 2) return std::nullopt;
    return L"C:\\Windows";
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<dw::TShellLinkFile> link = dw::ParseShellLink(bytes);
  if (!link) return 0;
  if (link->Size > size) __builtin_trap();
  FuzzHost host;
  dw::ShellLinkFromFile(*link, L"f:\\folder\\shortcut.lnk", host);
  return 0;
}
