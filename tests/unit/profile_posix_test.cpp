// The POSIX profile backend: the portable profile functions over dw::Fs().
#ifndef _WIN32

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

#include "platform/Platform.h"
#include "platform/posix/PosixProfile.h"

namespace dw {
namespace {

// Whole files in memory under existing folders; enough FileSystem for profile files.
class MemoryFileSystem : public FileSystem {
 public:
  explicit MemoryFileSystem(std::wstring folder) : FFolder(std::move(folder)) {}

  std::optional<std::string> ReadAll(const std::wstring& path) override {
    std::lock_guard<std::mutex> lock(FLock);
    auto it = FFiles.find(path);
    if (it != FFiles.end()) return it->second;
    tLastError = InFolder(path) ? kErrorFileNotFound : kErrorPathNotFound;
    return std::nullopt;
  }
  bool WriteAll(const std::wstring& path, std::string_view bytes) override {
    std::lock_guard<std::mutex> lock(FLock);
    if (!InFolder(path)) {
      tLastError = kErrorPathNotFound;
      return false;
    }
    FFiles[path] = std::string(bytes);
    return true;
  }
  uint32_t LastError() override { return tLastError; }

  uint32_t Attributes(const std::wstring&) override { return kInvalidAttributes; }
  bool SetAttributes(const std::wstring&, uint32_t) override { return false; }
  bool Find(const std::wstring&, const std::function<bool(const FindData&)>&) override { return false; }
  std::optional<FindData> Entry(const std::wstring&) override { return std::nullopt; }
  std::optional<FileStart> ReadRegular(const std::wstring&, size_t) override { return std::nullopt; }
  bool Move(const std::wstring&, const std::wstring&) override { return false; }
  bool Copy(const std::wstring&, const std::wstring&, bool) override { return false; }
  bool Delete(const std::wstring&) override { return false; }
  bool CreateFolder(const std::wstring&) override { return false; }
  bool RemoveFolder(const std::wstring&) override { return false; }
  std::wstring FullPath(const std::wstring& path, const std::wstring&) override { return path; }
  bool CreateNew(const std::wstring&, std::string_view) override { return false; }
  std::unique_ptr<SharedFile> OpenShared(const std::wstring&) override { return nullptr; }
  bool CopyNew(const std::wstring&, const std::wstring&, uint64_t) override { return false; }
  std::optional<std::string> ReadRegularWhole(const std::wstring&, size_t) override { return std::nullopt; }
  bool IsRegularFile(const std::wstring&) override { return false; }

 private:
  bool InFolder(const std::wstring& path) const {
    return path.compare(0, FFolder.size(), FFolder) == 0 && path.find(L'\\', FFolder.size()) == std::wstring::npos;
  }

  std::mutex FLock;
  std::wstring FFolder;
  std::map<std::wstring, std::string> FFiles;
  static thread_local uint32_t tLastError;
};

thread_local uint32_t MemoryFileSystem::tLastError = 0;

const std::wstring kFolder = L"C:\\ProgramData\\Drivewarden\\config\\";

class PosixProfileTest : public testing::Test {
 protected:
  MemoryFileSystem fs{kFolder};
  ScopedPlatform platform{Platform{&fs, nullptr, nullptr, nullptr, nullptr}};
  ProfileFiles& profiles = *PosixProfileFiles();
};

TEST_F(PosixProfileTest, WritesAndReadsThroughTheFileSystem) {
  const std::wstring file = kFolder + L"config.ini";
  EXPECT_EQ(profiles.ReadString(file, L"app", L"enable", L"\"1\""), L"1");  // missing file: default, unquoted
  ASSERT_TRUE(profiles.WriteString(file, L"app", L"enable", L"0"));
  ASSERT_TRUE(profiles.WriteString(file, L"scan", L"avoid", L"C:\\;"));
  EXPECT_EQ(fs.ReadAll(file), std::string("[app]\r\nenable=0\r\n[scan]\r\navoid=C:\\;\r\n"));
  EXPECT_EQ(profiles.ReadString(file, L"APP", L"Enable", L"1"), L"0");
}

TEST_F(PosixProfileTest, AMissingFolderGivesTheDefaultAsIsAndLosesWrites) {
  const std::wstring file = kFolder + L"absent\\config.ini";
  EXPECT_EQ(profiles.ReadString(file, L"app", L"k", L"\"d\""), L"\"d\"");
  EXPECT_FALSE(profiles.WriteString(file, L"app", L"k", L"v"));
  EXPECT_EQ(fs.ReadAll(file), std::nullopt);
}

TEST_F(PosixProfileTest, WritesFromSeveralThreadsLoseNoKey) {
  // Each write reads, changes and rewrites the whole file: without serialisation
  // the threads would overwrite each other's keys.
  const std::wstring file = kFolder + L"shared.ini";
  auto writeKeys = [&](const std::wstring& prefix) {
    for (int i = 0; i < 100; ++i) profiles.WriteString(file, L"s", prefix + std::to_wstring(i), L"1");
  };
  std::thread first(writeKeys, L"a");
  std::thread second(writeKeys, L"b");
  first.join();
  second.join();
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(profiles.ReadString(file, L"s", L"a" + std::to_wstring(i), L"0"), L"1");
    EXPECT_EQ(profiles.ReadString(file, L"s", L"b" + std::to_wstring(i), L"0"), L"1");
  }
}

}  // namespace
}  // namespace dw

#endif  // _WIN32
