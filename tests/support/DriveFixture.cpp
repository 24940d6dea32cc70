#include "support/DriveFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include "support/win32/WineDrives.h"
#else
#include <cstring>

#include "platform/posix/PosixDrives.h"
#endif

namespace dw::test {

namespace {

std::vector<FindData> Entries(const std::wstring& folder) {
  std::vector<FindData> entries;
  Fs().Find(folder + L"*", [&](const FindData& entry) {
    if (entry.name != L"." && entry.name != L"..") entries.push_back(entry);
    return true;
  });
  return entries;
}

#ifdef _WIN32
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The drive letter that tools/wine-run gave this run at index, empty without one.
std::string TestDriveLetter(int index) {
  std::string letters = Environment("DW_TEST_DRIVES");
  return index < static_cast<int>(letters.size()) ? letters.substr(static_cast<size_t>(index), 1) : "";
}

// The Unix folder behind that letter; the folders are separated by ":" like PATH.
std::string TestDriveFolder(int index) {
  std::string folders = Environment("DW_TEST_DRIVE_DIRS");
  for (int i = 0; i < index; ++i) {
    size_t colon = folders.find(':');
    if (colon == std::string::npos) return "";
    folders.erase(0, colon + 1);
  }
  return folders.substr(0, folders.find(':'));
}
#else
std::string MakeTempFolder(const char* prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  return pattern;
}
#endif

}  // namespace

void RemoveFolderContents(const std::wstring& folder) {
  for (const FindData& entry : Entries(folder)) {
    // Exactly this entry, even when its name ends with a dot or a blank.
    std::wstring path = LiteralPath(folder + entry.name);
    Fs().SetAttributes(path, kAttrNormal);
    bool isFolder = (entry.attributes & kAttrDirectory) != 0;
    if (isFolder && !(entry.attributes & kAttrReparsePoint)) RemoveFolderContents(path + L"\\");
    if (isFolder) {
      Fs().RemoveFolder(path);
    } else {
      Fs().Delete(path);
    }
  }
}

DriveFixture::DriveFixture(int index) {
  if (index != 0 && index != 1) throw std::invalid_argument("a test has drives 0 and 1");
#ifdef _WIN32
  std::string letter = TestDriveLetter(index);
  if (letter.empty()) throw std::runtime_error("DW_TEST_DRIVES names no drive: run the tests through tools/wine-run");
  root_ = std::wstring{static_cast<wchar_t>(std::tolower(letter[0])), L':', L'\\'};
  folder_ = TestDriveFolder(index);
  // Defined once for the process and kept: a letter defined anew is, for a while,
  // not yet in Wine's drive table.
  static bool defined[26] = {};
  bool& once = defined[root_[0] - L'a'];
  if (!once && DefineWineDrive(root_[0], folder_, kDriveRemovable)) {
    once = true;
    WaitForWineDrive(root_[0], 3000);
  }
  RemoveFolderContents(root_);
#else
  wchar_t letter = static_cast<wchar_t>(L'm' + index);
  folder_ = MakeTempFolder("dwdrive-");
  MapDrive(letter, folder_);
  root_ = std::wstring{letter, L':', L'\\'};
#endif
}

DriveFixture::~DriveFixture() {
#ifdef _WIN32
  RemoveFolderContents(root_);
#else
  UnmapDrive(root_[0]);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
#endif
}

void DriveFixture::WriteFile(const std::wstring& rel, std::string_view bytes, uint32_t attributes) {
  if (!Fs().WriteAll(Path(rel), bytes)) ADD_FAILURE() << "cannot write " << WideToUtf8(Path(rel));
  if (attributes != 0) SetAttributes(rel, attributes);
}

void DriveFixture::WriteLiteral(const std::wstring& rel, std::string_view bytes, uint32_t attributes) {
  const std::wstring path = LiteralPath(rel);
  if (!Fs().WriteAll(path, bytes)) ADD_FAILURE() << "cannot write " << WideToUtf8(path);
  if (attributes != 0 && !Fs().SetAttributes(path, attributes))
    ADD_FAILURE() << "cannot set attributes of " << WideToUtf8(path);
}

void DriveFixture::MakeFolder(const std::wstring& rel, uint32_t attributes) {
  if (!Fs().CreateFolder(Path(rel))) ADD_FAILURE() << "cannot create " << WideToUtf8(Path(rel));
  if (attributes != 0) SetAttributes(rel, attributes);
}

void DriveFixture::SetAttributes(const std::wstring& rel, uint32_t attributes) {
  if (!Fs().SetAttributes(Path(rel), attributes)) ADD_FAILURE() << "cannot set attributes of " << WideToUtf8(Path(rel));
}

uint32_t DriveFixture::Attributes(const std::wstring& rel) const { return Fs().Attributes(Path(rel)); }

bool DriveFixture::Exists(const std::wstring& rel) const { return Attributes(rel) != kInvalidAttributes; }

std::string DriveFixture::Read(const std::wstring& rel) const { return Fs().ReadAll(Path(rel)).value_or(""); }

std::vector<std::wstring> DriveFixture::Names(const std::wstring& relFolder) const {
  std::wstring folder = Path(relFolder);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  std::vector<std::wstring> names;
  for (const FindData& entry : Entries(folder)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::filesystem::path DriveFixture::UnixOrHostPath(const std::wstring& rel) const {
#ifdef _WIN32
  return std::filesystem::path(Path(rel));
#else
  return std::filesystem::path(ToUnixPath(Path(rel)).value_or(folder_ + "/" + WideToUtf8(rel)));
#endif
}

TempFolder::TempFolder() {
#ifdef _WIN32
  static std::atomic<unsigned> counter{0};
  std::wstring base = std::filesystem::temp_directory_path().wstring();
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() + counter++;
    std::wstring candidate = base + L"dwtest-" + std::to_wstring(stamp) + L"\\";
    if (Fs().CreateFolder(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
#else
  path_ = Utf8ToWide(MakeTempFolder("dwtest-")) + L"\\";
#endif
}

TempFolder::~TempFolder() {
#ifdef _WIN32
  RemoveFolderContents(path_);
  Fs().RemoveFolder(path_);
#else
  std::error_code ignored;
  std::filesystem::remove_all(WideToUtf8(path_.substr(0, path_.size() - 1)), ignored);
#endif
}

}  // namespace dw::test
