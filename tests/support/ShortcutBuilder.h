// Writes the bytes of a shortcut (.lnk) file, laid out as the Shell writes them, so
// that fixtures can place shortcuts on a test drive in both builds. By default the
// target goes into LinkInfo's local path, which the Shell link object and our own
// reader both take as the target.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dw::test {

class ShortcutBuilder {
 public:
  // target: the absolute path written as LinkInfo's local path (none when empty).
  explicit ShortcutBuilder(std::wstring target = {});

  // Splits the local path: LinkInfo holds base and suffix, the target is their join.
  ShortcutBuilder& CommonPathSuffix(std::wstring suffix);
  // A target on a share: LinkInfo's network part (and a mapped drive such as "Z:").
  ShortcutBuilder& NetworkShare(std::wstring netName, std::wstring deviceName = {});
  // Also writes the Unicode forms of LinkInfo's paths (a header of 0x24 bytes). They are
  // written anyway when a path holds a character that code page 1252 lacks.
  ShortcutBuilder& UnicodeLinkInfo();
  // An item ID list naming path ("c:\dir\file"): My Computer, the drive, then one
  // file entry per name with its long name in a 0xBEEF0004 block. The last entry is a
  // folder when targetIsFolder.
  ShortcutBuilder& IdList(std::wstring path, bool targetIsFolder = false);

  ShortcutBuilder& Description(std::wstring text);
  ShortcutBuilder& RelativePath(std::wstring path);
  ShortcutBuilder& WorkingDirectory(std::wstring path);
  ShortcutBuilder& Arguments(std::wstring text);
  ShortcutBuilder& IconLocation(std::wstring path, int32_t index);
  // StringData in code page 1252 instead of UTF-16.
  ShortcutBuilder& AnsiStrings();

  ShortcutBuilder& FileAttributes(uint32_t attributes);
  ShortcutBuilder& ShowCommand(uint32_t show);
  ShortcutBuilder& HotKey(uint16_t key);

  // An EnvironmentVariableDataBlock; preferred sets PreferEnvironmentPath.
  ShortcutBuilder& EnvironmentTarget(std::wstring target, bool preferred = false);
  ShortcutBuilder& IconEnvironmentTarget(std::wstring target);
  // A DarwinDataBlock: an advertised Windows Installer shortcut.
  ShortcutBuilder& Advertised(std::wstring darwinId);
  // Any other extra data block, signature and payload as given.
  ShortcutBuilder& ExtraBlock(uint32_t signature, std::string payload);
  // Ends the file after the last block, without the terminal block.
  ShortcutBuilder& WithoutTerminalBlock();

  std::string Build() const;

 private:
  struct Block {
    uint32_t signature;
    std::string payload;
  };

  std::string LinkInfoBytes() const;
  std::string IdListBytes() const;

  std::wstring localBasePath_;
  std::wstring commonPathSuffix_;
  std::wstring netName_;
  std::wstring deviceName_;
  bool unicodeLinkInfo_ = false;
  std::optional<std::wstring> idListPath_;
  bool idListFolder_ = false;
  std::optional<std::wstring> description_, relativePath_, workingDirectory_, arguments_, iconLocation_;
  int32_t iconIndex_ = 0;
  bool ansiStrings_ = false;
  uint32_t fileAttributes_ = 0x20;
  uint32_t showCommand_ = 1;
  uint16_t hotKey_ = 0;
  uint32_t extraFlags_ = 0;
  std::vector<Block> blocks_;
  bool terminalBlock_ = true;
};

}  // namespace dw::test
