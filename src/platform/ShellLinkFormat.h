// A reader of the published Shell Link (.lnk) binary format. It checks every size and
// offset against the buffer, so a hostile or truncated file yields an error and
// never a read outside the bytes it was given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dw {

// LinkFlags of the header.
constexpr uint32_t kLinkHasTargetIdList = 0x00000001;
constexpr uint32_t kLinkHasLinkInfo = 0x00000002;
constexpr uint32_t kLinkHasName = 0x00000004;
constexpr uint32_t kLinkHasRelativePath = 0x00000008;
constexpr uint32_t kLinkHasWorkingDir = 0x00000010;
constexpr uint32_t kLinkHasArguments = 0x00000020;
constexpr uint32_t kLinkHasIconLocation = 0x00000040;
constexpr uint32_t kLinkIsUnicode = 0x00000080;
constexpr uint32_t kLinkForceNoLinkInfo = 0x00000100;
constexpr uint32_t kLinkHasExpString = 0x00000200;
constexpr uint32_t kLinkHasDarwinId = 0x00001000;
constexpr uint32_t kLinkHasExpIcon = 0x00004000;
constexpr uint32_t kLinkPreferEnvironmentPath = 0x02000000;

// LinkInfoFlags.
constexpr uint32_t kLinkInfoVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kLinkInfoCommonNetworkRelativeLink = 0x2;

// ExtraData block signatures.
constexpr uint32_t kEnvironmentVariableBlock = 0xA0000001;
constexpr uint32_t kDarwinBlock = 0xA0000006;
constexpr uint32_t kIconEnvironmentBlock = 0xA0000007;

constexpr uint32_t kShellLinkHeaderSize = 0x4C;
// The character count above which Windows stops reading NAME_STRING, RELATIVE_PATH and
// WORKING_DIR; the next string then starts right after these characters.
constexpr uint32_t kShellLinkCappedStringChars = 260;

// Everything a shortcut file says, decoded; strings end at their first NUL.
struct TShellLinkFile {
  uint32_t LinkFlags = 0;
  uint32_t FileAttributes = 0;
  uint64_t CreationTime = 0;
  uint64_t AccessTime = 0;
  uint64_t WriteTime = 0;
  uint32_t FileSize = 0;
  int32_t IconIndex = 0;
  uint32_t ShowCommand = 0;
  uint16_t HotKey = 0;

  // The file-system path that the item ID list names; empty without a list or when it
  // names something that is no file (Control Panel, a delegate folder).
  std::wstring IdListPath;

  uint32_t LinkInfoFlags = 0;  // 0 without LinkInfo
  uint32_t DriveType = 0;
  uint32_t DriveSerialNumber = 0;
  std::wstring VolumeLabel;
  std::wstring LocalBasePath;  // the Unicode form when the file has one
  std::wstring NetName;
  std::wstring DeviceName;
  uint32_t NetworkProviderType = 0;
  std::wstring CommonPathSuffix;

  std::wstring Name;
  std::wstring RelativePath;
  std::wstring WorkingDir;
  std::wstring Arguments;
  std::wstring IconLocation;

  std::wstring EnvironmentTarget;      // EnvironmentVariableDataBlock, unexpanded
  std::wstring IconEnvironmentTarget;  // IconEnvironmentDataBlock, unexpanded
  bool HasDarwinBlock = false;
  std::wstring DarwinId;

  // Bytes from the start of the file through the terminal block (or to the end of a
  // file that has none); anything after the terminal block is ignored.
  size_t Size = 0;

  bool Has(uint32_t flag) const { return (LinkFlags & flag) != 0; }
  // LocalBasePath joined with CommonPathSuffix; empty when LinkInfo has no local part.
  std::wstring LocalTargetPath() const;
  // NetName joined with CommonPathSuffix; empty when LinkInfo has no network part.
  std::wstring NetworkTargetPath() const;
};

// Decodes a whole shortcut file. On failure returns nothing and, when error is given,
// sets it to a short English reason.
std::optional<TShellLinkFile> ParseShellLink(std::string_view bytes, std::string* error = nullptr);

}  // namespace dw
