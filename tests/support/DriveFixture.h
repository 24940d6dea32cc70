// A fresh, empty drive for one test, reached through dw::Fs() like any drive the
// program sees, so that a test reads the same in both builds.
//
// Linux: a new temporary folder mapped to m: (index 0) or n: (index 1).
// Windows under Wine: the letters that tools/wine-run gave this run (DW_TEST_DRIVES,
// their folders in DW_TEST_DRIVE_DIRS), made real volumes through Wine's mount
// manager and emptied at set-up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dw::test {

class DriveFixture {
 public:
  // index 0 or 1: a test may hold two independent drives.
  explicit DriveFixture(int index = 0);
  ~DriveFixture();
  DriveFixture(const DriveFixture&) = delete;
  DriveFixture& operator=(const DriveFixture&) = delete;

  // The root with a lower-case letter, such as "m:\".
  const std::wstring& root() const { return root_; }
  wchar_t letter() const { return root_[0]; }
  std::wstring Path(const std::wstring& rel) const { return root_ + rel; }

  // The "\\?\" form of Path(rel): the names exactly as written (trailing dots and
  // blanks kept).
  std::wstring LiteralPath(const std::wstring& rel) const { return L"\\\\?\\" + root_ + rel; }

  // These fail the running test when the drive refuses.
  void WriteFile(const std::wstring& rel, std::string_view bytes, uint32_t attributes = 0);
  // WriteFile through LiteralPath(rel).
  void WriteLiteral(const std::wstring& rel, std::string_view bytes, uint32_t attributes = 0);
  void MakeFolder(const std::wstring& rel, uint32_t attributes = 0);
  void SetAttributes(const std::wstring& rel, uint32_t attributes);

  // kInvalidAttributes when missing.
  uint32_t Attributes(const std::wstring& rel) const;
  bool Exists(const std::wstring& rel) const;
  // The content, empty when the file cannot be read.
  std::string Read(const std::wstring& rel) const;
  // The entry names of a folder of the drive, sorted, without "." and "..".
  std::vector<std::wstring> Names(const std::wstring& relFolder = L"") const;
  // The path the test's own OS uses for rel: a Unix path on Linux, the Windows
  // path on Windows.
  std::filesystem::path UnixOrHostPath(const std::wstring& rel) const;
  // The Unix folder behind the drive, for names that only a native test can make
  // (bytes that are not UTF-8, a backslash) and for links.
  const std::string& UnixFolder() const { return folder_; }

 private:
  std::wstring root_;
  std::string folder_;  // the Unix folder behind the drive, when known
};

// A fresh folder for data (a data folder, a quarantine), removed with its content
// at the end. Its path ends with "\": a Unix path such as "/tmp/dwtest-1a2b\" on
// Linux (read with "\" as "/"), under the user's temporary folder on Windows.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Deletes everything inside folder (ending with "\") through dw::Fs(), clearing
// attributes that would stop it; links are removed, never followed.
void RemoveFolderContents(const std::wstring& folder);

}  // namespace dw::test
