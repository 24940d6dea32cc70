// drivewarden-cli: the scan and the quarantine store for scripts and check stations.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dw {

// What differs between the operating systems.
struct CliHost {
  // A ROOT argument as a drive root ("e:\"); error set when it cannot be scanned.
  std::function<std::optional<std::wstring>(const std::wstring& arg, std::wstring& error)> mountRoot;
  // A folder argument (--data-dir, the restore folder) as a folder path ending with "\".
  std::function<std::wstring(const std::wstring& arg)> folderPath;
  // A path as the user knows it (on Linux the real path under the mounted folder).
  std::function<std::wstring(const std::wstring& path)> displayPath;
  // The name of the file system of a drive root ("e:\") when none of its entries
  // gave hidden or system that could be read; unset where they always can be.
  std::function<std::optional<std::wstring>(const std::wstring& root)> fileSystemWithoutAttributes;
  std::wstring defaultDataFolder;  // ends with "\"
  bool progressToTerminal = false;
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

constexpr int kExitClean = 0;
constexpr int kExitFound = 1;
constexpr int kExitError = 2;

int RunCommandLine(const std::vector<std::wstring>& args, const CliHost& host);

}  // namespace dw
