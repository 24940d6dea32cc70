// The shortcut samples of tests/data/lnk (their sources are in its MANIFEST.md).
// The .b64 ones are live malware kept base64-encoded: they are decoded in memory
// only and never written anywhere.
#pragma once

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dw::test {

inline std::string DecodeBase64(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    int v = value(c);
    if (v < 0) continue;  // line breaks and padding
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return out;
}

// The raw bytes of a sample, given by its path under tests/data/lnk.
inline std::string LnkSample(const std::string& relative) {
  std::ifstream in(std::string(DW_TESTDATA_DIR) + "/lnk/" + relative, std::ios::binary);
  if (!in) throw std::runtime_error("missing test sample " + relative);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (relative.size() > 4 && relative.compare(relative.size() - 4, 4, ".b64") == 0) return DecodeBase64(content);
  return content;
}

inline const std::vector<std::string>& LnkSampleNames() {
  static const std::vector<std::string> names = {
      "ez-lnk/WinXP_WordPad.lnk",
      "ez-lnk/WinVista_Windows Update.lnk",
      "ez-lnk/Win8.1_PhotosApp.lnk",
      "ez-lnk/Misc_remote.file.xp.test",
      "ez-lnk/Misc_local.directory.seven.test",
      "ez-lnk/Misc_unicodeNetworkPath.lnk.test",
      "ez-lnk/Misc_local.file.darwin.test",
      "ez-lnk/Bad_ImDisk Virtual Disk Driver.test",
      "ez-lnk/Bad_$I2GXWHL.test",
      "plaso/NeroInfoTool.lnk",
      "plaso/example.lnk",
      "plaso/unpaired_surrogate.lnk",
      "lnkparse3/microsoft_example.b64",
      "lnkparse3/sample5.b64",
      "lnkparse3/unknown_block.b64",
      "lnkparse3/sample13.b64",
      "lnkparse3/padded_cli_arguments.b64",
      "lnkparse3/broken_link_info.b64",
      "lnkparse3/decoding_error3.b64",
      "lnkparse3/network_info.b64",
  };
  return names;
}

}  // namespace dw::test
