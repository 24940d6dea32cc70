#include "support/ShortcutBuilder.h"

#include "common/Text.h"

namespace dw::test {

namespace {

constexpr unsigned char kShellLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr unsigned char kMyComputerClsid[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

void PutU16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void SetU16(std::string& out, size_t at, uint32_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void SetU32(std::string& out, size_t at, uint32_t value) {
  SetU16(out, at, value & 0xFFFF);
  SetU16(out, at + 2, value >> 16);
}

// UTF-16LE code units; on Linux a code point above U+FFFF becomes a surrogate pair.
std::string Utf16(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    auto cp = static_cast<uint32_t>(c);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      PutU16(out, 0xD800 + (cp >> 10));
      PutU16(out, 0xDC00 + (cp & 0x3FF));
    } else {
      PutU16(out, cp);
    }
  }
  return out;
}

bool FitsCp1252(const std::wstring& text) { return Cp1252ToWide(WideToCp1252(text)) == text; }

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path) {
    if (c == L'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// A file entry item: short name in code page 1252, long name in a version 3
// 0xBEEF0004 block that runs to the end of the item and whose offset is its last word.
std::string FileEntryItem(const std::wstring& name, bool folder) {
  std::string item(2, '\0');
  item.push_back(static_cast<char>(folder ? 0x31 : 0x32));
  item.push_back('\0');
  PutU32(item, 0);                     // file size
  PutU32(item, 0);                     // modification time
  PutU16(item, folder ? 0x10 : 0x20);  // attributes
  item += WideToCp1252(name);
  item.push_back('\0');
  if (item.size() % 2) item.push_back('\0');
  size_t block = item.size();
  PutU16(item, 0);  // block size, set below
  PutU16(item, 3);  // version
  PutU32(item, 0xBEEF0004);
  PutU32(item, 0);  // creation time
  PutU32(item, 0);  // access time
  PutU16(item, 0x14);
  PutU16(item, 0);  // no localized name
  item += Utf16(name);
  PutU16(item, 0);
  PutU16(item, static_cast<uint32_t>(block));
  SetU16(item, block, static_cast<uint32_t>(item.size() - block));
  SetU16(item, 0, static_cast<uint32_t>(item.size()));
  return item;
}

std::string StringData(const std::wstring& text, bool ansi) {
  std::string out;
  if (ansi) {
    std::string bytes = WideToCp1252(text);
    PutU16(out, static_cast<uint32_t>(bytes.size()));
    return out + bytes;
  }
  std::string units = Utf16(text);
  PutU16(out, static_cast<uint32_t>(units.size() / 2));
  return out + units;
}

// The layout of the environment, icon environment and Darwin blocks.
std::string TargetPayload(const std::wstring& target) {
  std::string ansi = WideToCp1252(target).substr(0, 259);
  ansi.resize(260, '\0');
  std::string unicode = Utf16(target).substr(0, 518);
  unicode.resize(520, '\0');
  return ansi + unicode;
}

}  // namespace

ShortcutBuilder::ShortcutBuilder(std::wstring target) : localBasePath_(std::move(target)) {}

ShortcutBuilder& ShortcutBuilder::CommonPathSuffix(std::wstring suffix) {
  commonPathSuffix_ = std::move(suffix);
  return *this;
}

ShortcutBuilder& ShortcutBuilder::NetworkShare(std::wstring netName, std::wstring deviceName) {
  netName_ = std::move(netName);
  deviceName_ = std::move(deviceName);
  return *this;
}

ShortcutBuilder& ShortcutBuilder::UnicodeLinkInfo() {
  unicodeLinkInfo_ = true;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::IdList(std::wstring path, bool targetIsFolder) {
  idListPath_ = std::move(path);
  idListFolder_ = targetIsFolder;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::Description(std::wstring text) {
  description_ = std::move(text);
  return *this;
}

ShortcutBuilder& ShortcutBuilder::RelativePath(std::wstring path) {
  relativePath_ = std::move(path);
  return *this;
}

ShortcutBuilder& ShortcutBuilder::WorkingDirectory(std::wstring path) {
  workingDirectory_ = std::move(path);
  return *this;
}

ShortcutBuilder& ShortcutBuilder::Arguments(std::wstring text) {
  arguments_ = std::move(text);
  return *this;
}

ShortcutBuilder& ShortcutBuilder::IconLocation(std::wstring path, int32_t index) {
  iconLocation_ = std::move(path);
  iconIndex_ = index;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::AnsiStrings() {
  ansiStrings_ = true;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::FileAttributes(uint32_t attributes) {
  fileAttributes_ = attributes;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::ShowCommand(uint32_t show) {
  showCommand_ = show;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::HotKey(uint16_t key) {
  hotKey_ = key;
  return *this;
}

ShortcutBuilder& ShortcutBuilder::EnvironmentTarget(std::wstring target, bool preferred) {
  extraFlags_ |= 0x00000200 | (preferred ? 0x02000000 : 0);
  blocks_.push_back({0xA0000001, TargetPayload(target)});
  return *this;
}

ShortcutBuilder& ShortcutBuilder::IconEnvironmentTarget(std::wstring target) {
  extraFlags_ |= 0x00004000;
  blocks_.push_back({0xA0000007, TargetPayload(target)});
  return *this;
}

ShortcutBuilder& ShortcutBuilder::Advertised(std::wstring darwinId) {
  extraFlags_ |= 0x00001000;
  blocks_.push_back({0xA0000006, TargetPayload(darwinId)});
  return *this;
}

ShortcutBuilder& ShortcutBuilder::ExtraBlock(uint32_t signature, std::string payload) {
  blocks_.push_back({signature, std::move(payload)});
  return *this;
}

ShortcutBuilder& ShortcutBuilder::WithoutTerminalBlock() {
  terminalBlock_ = false;
  return *this;
}

std::string ShortcutBuilder::IdListBytes() const {
  std::string items;
  std::string root(2, '\0');
  root += '\x1F';
  root += '\x50';
  root.append(reinterpret_cast<const char*>(kMyComputerClsid), 16);
  SetU16(root, 0, static_cast<uint32_t>(root.size()));
  items += root;

  std::vector<std::wstring> parts = SplitPath(*idListPath_);
  if (!parts.empty()) {
    std::string drive(2, '\0');
    drive += '\x2F';
    drive += WideToCp1252(parts.front()) + "\\";
    drive.resize(0x19, '\0');
    SetU16(drive, 0, static_cast<uint32_t>(drive.size()));
    items += drive;
    for (size_t i = 1; i < parts.size(); ++i) {
      bool folder = i + 1 < parts.size() || idListFolder_;
      items += FileEntryItem(parts[i], folder);
    }
  }
  PutU16(items, 0);
  std::string out;
  PutU16(out, static_cast<uint32_t>(items.size()));
  return out + items;
}

std::string ShortcutBuilder::LinkInfoBytes() const {
  const bool local = !localBasePath_.empty();
  const bool network = !netName_.empty();
  const bool unicode = unicodeLinkInfo_ || !FitsCp1252(localBasePath_) || !FitsCp1252(commonPathSuffix_);
  const uint32_t headerSize = unicode ? 0x24 : 0x1C;

  std::string body;
  uint32_t volumeIdOffset = 0, localOffset = 0, networkOffset = 0;
  if (local) {
    volumeIdOffset = headerSize;
    std::string volume;
    PutU32(volume, 0x11);
    PutU32(volume, 2);  // a removable drive
    PutU32(volume, 0x1234ABCD);
    PutU32(volume, 0x10);
    volume.push_back('\0');  // no label
    body += volume;
    localOffset = headerSize + static_cast<uint32_t>(body.size());
    body += WideToCp1252(localBasePath_) + '\0';
  }
  if (network) {
    networkOffset = headerSize + static_cast<uint32_t>(body.size());
    std::string net;
    PutU32(net, 0);  // size, set below
    PutU32(net, deviceName_.empty() ? 0x2 : 0x3);
    PutU32(net, 0x14);
    PutU32(net, 0);           // device name offset, set below
    PutU32(net, 0x00020000);  // WNNC_NET_LANMAN
    net += WideToCp1252(netName_) + '\0';
    if (!deviceName_.empty()) {
      SetU32(net, 12, static_cast<uint32_t>(net.size()));
      net += WideToCp1252(deviceName_) + '\0';
    }
    SetU32(net, 0, static_cast<uint32_t>(net.size()));
    body += net;
  }
  uint32_t suffixOffset = headerSize + static_cast<uint32_t>(body.size());
  body += WideToCp1252(commonPathSuffix_) + '\0';
  uint32_t localUnicodeOffset = 0, suffixUnicodeOffset = 0;
  if (unicode) {
    if (local) {
      localUnicodeOffset = headerSize + static_cast<uint32_t>(body.size());
      body += Utf16(localBasePath_) + std::string(2, '\0');
    }
    suffixUnicodeOffset = headerSize + static_cast<uint32_t>(body.size());
    body += Utf16(commonPathSuffix_) + std::string(2, '\0');
  }

  std::string info;
  PutU32(info, headerSize + static_cast<uint32_t>(body.size()));
  PutU32(info, headerSize);
  PutU32(info, (local ? 0x1 : 0) | (network ? 0x2 : 0));
  PutU32(info, volumeIdOffset);
  PutU32(info, localOffset);
  PutU32(info, networkOffset);
  PutU32(info, suffixOffset);
  if (unicode) {
    PutU32(info, localUnicodeOffset);
    PutU32(info, suffixUnicodeOffset);
  }
  return info + body;
}

std::string ShortcutBuilder::Build() const {
  const bool linkInfo = !localBasePath_.empty() || !netName_.empty();
  uint32_t flags = extraFlags_;
  if (idListPath_) flags |= 0x1;
  if (linkInfo) flags |= 0x2;
  if (description_) flags |= 0x4;
  if (relativePath_) flags |= 0x8;
  if (workingDirectory_) flags |= 0x10;
  if (arguments_) flags |= 0x20;
  if (iconLocation_) flags |= 0x40;
  if (!ansiStrings_) flags |= 0x80;

  std::string out;
  PutU32(out, 0x4C);
  out.append(reinterpret_cast<const char*>(kShellLinkClsid), 16);
  PutU32(out, flags);
  PutU32(out, fileAttributes_);
  out.append(24, '\0');  // creation, access and write times
  PutU32(out, 0);        // file size
  PutU32(out, static_cast<uint32_t>(iconIndex_));
  PutU32(out, showCommand_);
  PutU16(out, hotKey_);
  out.append(10, '\0');

  if (idListPath_) out += IdListBytes();
  if (linkInfo) out += LinkInfoBytes();
  for (const auto* text : {&description_, &relativePath_, &workingDirectory_, &arguments_, &iconLocation_}) {
    if (*text) out += StringData(**text, ansiStrings_);
  }
  for (const Block& block : blocks_) {
    PutU32(out, static_cast<uint32_t>(block.payload.size() + 8));
    PutU32(out, block.signature);
    out += block.payload;
  }
  if (terminalBlock_) PutU32(out, 0);
  return out;
}

}  // namespace dw::test
