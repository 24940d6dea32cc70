#include "platform/posix/PosixMounts.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/posix/PosixNames.h"

namespace dw::posix {

namespace {

// A mountinfo of many thousand mounts is still far below this.
constexpr size_t kMountinfoLimit = 4u * 1024 * 1024;
// /dev/disk/by-label of a machine with a few hundred labelled volumes.
constexpr int kLabelLimit = 4096;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "\040" for a blank, "\011" for a tab, "\012", "\134" for a backslash.
std::string DecodeOctal(std::string_view field) {
  auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
        isOctal(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    size_t end = line.find(' ', i);
    if (end == std::string_view::npos) end = line.size();
    if (end > i) fields.push_back(line.substr(i, end - i));
    i = end;
  }
  return fields;
}

}  // namespace

std::optional<std::string> MountSource(std::string_view mountinfo, std::string_view mountPoint) {
  std::optional<std::string> found;
  size_t start = 0;
  while (start < mountinfo.size()) {
    size_t end = mountinfo.find('\n', start);
    if (end == std::string_view::npos) end = mountinfo.size();
    std::vector<std::string_view> fields = Fields(mountinfo.substr(start, end - start));
    start = end + 1;
    // id parent major:minor root mount-point options [optional...] - type source super-options
    if (fields.size() < 10 || DecodeOctal(fields[4]) != mountPoint) continue;
    for (size_t i = 6; i + 2 < fields.size(); ++i) {
      // The last mount at a point is the one seen there.
      if (fields[i] == "-") {
        found = DecodeOctal(fields[i + 2]);
        break;
      }
    }
  }
  return found;
}

std::string DecodeUdevName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexValue(name[i + 2]) >= 0 &&
        HexValue(name[i + 3]) >= 0) {
      out += static_cast<char>(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3]));
      i += 3;
      continue;
    }
    out += name[i];
  }
  return out;
}

std::optional<std::wstring> MountedVolumeLabel(const std::string& folder) {
  std::ifstream file("/proc/self/mountinfo", std::ios::binary);
  if (!file) return std::nullopt;
  std::string text(kMountinfoLimit, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(file.gcount()));
  std::optional<std::string> source = MountSource(text, folder);
  if (!source || source->rfind("/dev/", 0) != 0) return std::nullopt;

  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path device = fs::canonical(*source, ec);
  if (ec) return std::nullopt;
  fs::directory_iterator it("/dev/disk/by-label", ec), end;
  for (int seen = 0; !ec && it != end && seen < kLabelLimit; it.increment(ec), ++seen) {
    std::error_code linkError;
    if (fs::canonical(it->path(), linkError) == device && !linkError) {
      return UnixNameToWide(DecodeUdevName(it->path().filename().string()));
    }
  }
  return std::nullopt;
}

}  // namespace dw::posix
