// The Win32 Volumes on the fixture's drive letters, as far as Wine can answer.
#include "platform/win32/WindowsSupport.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "support/DriveFixture.h"

namespace dw {
namespace {

using test::DriveFixture;

constexpr uint32_t kCheckVerify = 0x2D4800;  // IOCTL_STORAGE_CHECK_VERIFY

std::wstring Device(wchar_t letter) { return std::wstring(L"\\\\.\\") + letter + L":"; }

TEST(Win32Volumes, FixtureDrivesAreVolumes) {
  DriveFixture drive;
  wchar_t upper = static_cast<wchar_t>(towupper(drive.letter()));
  EXPECT_NE(Vol().LogicalDrives() & (1u << (upper - L'A')), 0u);
  EXPECT_EQ(Vol().DriveType(drive.root()), kDriveRemovable);
  VolumeInfo info;
  EXPECT_TRUE(Vol().VolumeInformation(std::wstring(1, upper) + L":\\", info));
  EXPECT_FALSE(info.fileSystem.empty());
  int64_t total = 0, free = 0;
  EXPECT_TRUE(Vol().DiskSpace(drive.root(), total, free));
  EXPECT_GT(total, 0);
  // Wine cannot check a medium and says so: the drive counts as ready.
  EXPECT_TRUE(Vol().DeviceCheck(Device(drive.letter()), kCheckVerify));
}

TEST(Win32Volumes, MissingDrivesAreNeitherReadyNorDescribed) {
  DriveFixture drive;
  wchar_t unused = 0;
  uint32_t mask = Vol().LogicalDrives();
  for (wchar_t letter = L'X'; letter > L'D'; --letter) {
    if (!(mask & (1u << (letter - L'A')))) {
      unused = letter;
      break;
    }
  }
  ASSERT_NE(unused, 0);
  EXPECT_FALSE(Vol().DeviceCheck(Device(unused), kCheckVerify));
  EXPECT_EQ(Vol().StorageBusType(Device(unused)), 0u);
  EXPECT_EQ(Vol().DriveType(std::wstring(1, unused) + L":\\"), kDriveNoRootDir);
  VolumeInfo info;
  EXPECT_FALSE(Vol().VolumeInformation(std::wstring(1, unused) + L":\\", info));
}

TEST(Win32Volumes, BusQueryRestoresTheErrorMode) {
  DriveFixture drive;
  UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  Vol().StorageBusType(Device(drive.letter()));
  Vol().StorageBusType(L"\\\\.\\nothing:");
  EXPECT_EQ(SetErrorMode(before), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
}

}  // namespace
}  // namespace dw
