#include "platform/ShellLinkFormat.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/Text.h"

namespace dw {

namespace {

// Thrown inside this file only: ParseShellLink turns it into an error value.
struct Malformed {
  const char* reason;
};

[[noreturn]] void Fail(const char* reason) { throw Malformed{reason}; }

constexpr unsigned char kShellLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr unsigned char kMyComputerClsid[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr unsigned char kNetworkClsid[16] = {0x60, 0x2C, 0x8D, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                             0xA2, 0xD7, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr uint32_t kFileEntryExtension = 0xBEEF0004;
constexpr uint32_t kTargetBlockSize = 0x314;  // header, 260 ANSI bytes, 260 UTF-16 units

// A window on the file whose every read is checked against its end; reason names
// the structure for the error a read past the end raises.
class Bytes {
 public:
  Bytes(std::string_view data, const char* reason) : data_(data), reason_(reason) {}

  size_t Size() const { return data_.size(); }
  bool Fits(size_t offset, size_t count) const { return offset <= data_.size() && count <= data_.size() - offset; }
  void Need(size_t offset, size_t count) const {
    if (!Fits(offset, count)) Fail(reason_);
  }
  uint8_t U8(size_t offset) const {
    Need(offset, 1);
    return static_cast<uint8_t>(data_[offset]);
  }
  uint16_t U16(size_t offset) const {
    Need(offset, 2);
    return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
  }
  uint32_t U32(size_t offset) const {
    Need(offset, 4);
    return static_cast<uint32_t>(Byte(offset)) | static_cast<uint32_t>(Byte(offset + 1)) << 8 |
           static_cast<uint32_t>(Byte(offset + 2)) << 16 | static_cast<uint32_t>(Byte(offset + 3)) << 24;
  }
  uint64_t U64(size_t offset) const { return U32(offset) | static_cast<uint64_t>(U32(offset + 4)) << 32; }
  std::string_view View(size_t offset, size_t count) const {
    Need(offset, count);
    return data_.substr(offset, count);
  }
  Bytes Sub(size_t offset, size_t count, const char* reason) const { return Bytes(View(offset, count), reason); }

 private:
  unsigned Byte(size_t offset) const { return static_cast<unsigned char>(data_[offset]); }
  std::string_view data_;
  const char* reason_;
};

// UTF-16 code units as a wide string: unchanged where wchar_t has 16 bits, pairs
// joined into code points where it has 32. A lone surrogate stays as it is, so that a
// name holding one still names the same file.
std::wstring WideFromUnits(const std::vector<uint16_t>& units) {
  std::wstring out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t unit = units[i];
    if constexpr (sizeof(wchar_t) == 4) {
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00);
        ++i;
      }
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

// count UTF-16 units at offset, up to the first NUL.
std::wstring Utf16At(const Bytes& bytes, size_t offset, size_t count) {
  bytes.Need(offset, count * 2);
  std::vector<uint16_t> units;
  units.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    uint16_t unit = bytes.U16(offset + 2 * i);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return WideFromUnits(units);
}

// count ANSI bytes at offset, up to the first NUL.
std::wstring AnsiAt(const Bytes& bytes, size_t offset, size_t count) {
  std::string_view text = bytes.View(offset, count);
  return Cp1252ToWide(text.substr(0, text.find('\0')));
}

// A NUL-terminated string that must end inside bytes.
std::wstring AnsiZ(const Bytes& bytes, size_t offset, const char* reason) {
  std::string_view rest = bytes.View(offset, bytes.Size() - std::min(offset, bytes.Size()));
  size_t end = rest.find('\0');
  if (end == std::string_view::npos) Fail(reason);
  return Cp1252ToWide(rest.substr(0, end));
}

std::wstring Utf16Z(const Bytes& bytes, size_t offset, const char* reason) {
  std::vector<uint16_t> units;
  for (size_t at = offset;; at += 2) {
    if (!bytes.Fits(at, 2)) Fail(reason);
    uint16_t unit = bytes.U16(at);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return WideFromUnits(units);
}

std::wstring JoinPath(const std::wstring& base, const std::wstring& suffix) {
  if (base.empty() || suffix.empty()) return base + suffix;
  if (base.back() == L'\\' || suffix.front() == L'\\') return base + suffix;
  return base + L'\\' + suffix;
}

// ---- Item ID list: only the shapes that name a file-system path are understood. ----

uint8_t ItemType(const Bytes& item) { return item.Fits(2, 1) ? item.U8(2) : 0; }

bool ItemIsRoot(const Bytes& item, const unsigned char (&clsid)[16]) {
  return ItemType(item) == 0x1F && item.Fits(4, 16) && std::memcmp(item.View(4, 16).data(), clsid, 16) == 0;
}

// A volume item: "X:\" right after the type byte.
std::wstring DriveRoot(const Bytes& item) {
  uint8_t type = ItemType(item);
  if (type < 0x20 || type > 0x2F || !item.Fits(3, 3)) return {};
  std::string_view root = item.View(3, 3);
  bool letter = (root[0] >= 'A' && root[0] <= 'Z') || (root[0] >= 'a' && root[0] <= 'z');
  if (!letter || root[1] != ':' || root[2] != '\\') return {};
  return {static_cast<wchar_t>(root[0]), L':', L'\\'};
}

bool IsNetworkItem(const Bytes& item) { return (ItemType(item) & 0x70) == 0x40; }

// A network location item holds the whole UNC path of its level ("\\server\share").
std::wstring NetworkLocation(const Bytes& item) {
  std::wstring location = AnsiZ(item, 5, "unterminated network location");
  return location.rfind(L"\\\\", 0) == 0 ? location : std::wstring();
}

// The long name that a file entry's 0xBEEF0004 extension block carries. Wine writes
// the same block with version and signature left zero; it is known by running to
// the end of the item, as the item's last word says.
std::wstring ExtensionLongName(const Bytes& item, size_t offset) {
  if (offset < 14 || !item.Fits(offset, 8)) return {};
  uint16_t size = item.U16(offset);
  uint16_t version = item.U16(offset + 2);
  uint32_t signature = item.U32(offset + 4);
  if (size < 8 || !item.Fits(offset, size)) return {};
  bool wineBlock =
      version == 0 && signature == 0 && offset + size == item.Size() && item.U16(item.Size() - 2) == offset;
  if (wineBlock) version = 3;
  if (signature != kFileEntryExtension && !wineBlock) return {};
  size_t nameOffset = version >= 9 ? 0x2E : version == 8 ? 0x2A : version == 7 ? 0x26 : version >= 3 ? 0x14 : 0;
  if (nameOffset == 0) return {};
  return Utf16Z(item.Sub(offset, size, "bad file entry extension"), nameOffset, "unterminated long name");
}

std::wstring FileEntryName(const Bytes& item) {
  uint8_t type = ItemType(item);
  if ((type & 0x70) != 0x30) return {};
  const size_t nameOffset = 14;
  bool unicode = (type & 0x04) != 0;
  std::wstring primary =
      unicode ? Utf16Z(item, nameOffset, "unterminated item name") : AnsiZ(item, nameOffset, "unterminated item name");
  // The item's last word gives the offset of its first extension block.
  std::wstring longName = ExtensionLongName(item, item.U16(item.Size() - 2));
  if (longName.empty()) {
    size_t at = nameOffset + (unicode ? (primary.size() + 1) * 2 : primary.size() + 1);
    at += at & 1;
    while (longName.empty() && item.Fits(at, 8)) {
      uint16_t size = item.U16(at);
      if (size < 8) break;
      longName = ExtensionLongName(item, at);
      at += size;
    }
  }
  return longName.empty() ? primary : longName;
}

std::wstring PathFromItems(const std::vector<Bytes>& items) {
  size_t i = 0;
  bool networkRoot = false;
  if (i < items.size() && ItemType(items[i]) == 0x1F) {
    networkRoot = ItemIsRoot(items[i], kNetworkClsid);
    if (!networkRoot && !ItemIsRoot(items[i], kMyComputerClsid)) return {};
    ++i;
  }
  if (i >= items.size()) return {};
  std::wstring path = networkRoot ? std::wstring() : DriveRoot(items[i]);
  if (!path.empty()) {
    ++i;
  } else {
    for (; i < items.size() && IsNetworkItem(items[i]); ++i) {
      std::wstring location = NetworkLocation(items[i]);
      if (!location.empty()) path = location;
    }
  }
  if (path.empty()) return {};
  for (; i < items.size(); ++i) {
    std::wstring name = FileEntryName(items[i]);
    if (name.empty()) return {};
    path = JoinPath(path, name);
  }
  return path;
}

size_t ReadIdList(const Bytes& file, size_t pos, TShellLinkFile& link) {
  uint16_t listSize = file.U16(pos);
  Bytes list = file.Sub(pos + 2, listSize, "item ID list runs past the end");
  std::vector<Bytes> items;
  size_t at = 0;
  for (;;) {
    if (!list.Fits(at, 2)) Fail("item ID list without its terminator");
    uint16_t itemSize = list.U16(at);
    if (itemSize == 0) break;
    if (itemSize < 2) Fail("bad item ID size");
    items.push_back(list.Sub(at, itemSize, "item ID runs past its list"));
    at += itemSize;
  }
  // The contents of the items are the Shell's business: one that cannot be read as a
  // path leaves the list without a path instead of making the file unreadable.
  try {
    link.IdListPath = PathFromItems(items);
  } catch (const Malformed&) {
    link.IdListPath.clear();
  }
  return pos + 2 + listSize;
}

// ---- LinkInfo ----

void ReadVolumeId(const Bytes& info, size_t offset, TShellLinkFile& link) {
  uint32_t size = info.U32(offset);
  if (size <= 0x10) Fail("VolumeID too small");
  Bytes volume = info.Sub(offset, size, "VolumeID runs past LinkInfo");
  link.DriveType = volume.U32(4);
  link.DriveSerialNumber = volume.U32(8);
  uint32_t labelOffset = volume.U32(12);
  link.VolumeLabel = labelOffset == 0x14 ? Utf16Z(volume, volume.U32(16), "unterminated volume label")
                                         : AnsiZ(volume, labelOffset, "unterminated volume label");
}

void ReadNetworkLink(const Bytes& info, size_t offset, TShellLinkFile& link) {
  uint32_t size = info.U32(offset);
  if (size < 0x14) Fail("CommonNetworkRelativeLink too small");
  Bytes net = info.Sub(offset, size, "CommonNetworkRelativeLink runs past LinkInfo");
  uint32_t flags = net.U32(4);
  uint32_t netNameOffset = net.U32(8);
  uint32_t deviceNameOffset = net.U32(12);
  uint32_t netNameUnicode = 0, deviceNameUnicode = 0;
  if (netNameOffset > 0x14) {
    netNameUnicode = net.U32(0x14);
    deviceNameUnicode = net.U32(0x18);
  }
  const char* unterminated = "unterminated network name";
  link.NetName = netNameUnicode ? Utf16Z(net, netNameUnicode, unterminated) : AnsiZ(net, netNameOffset, unterminated);
  if (flags & 0x1) {
    link.DeviceName =
        deviceNameUnicode ? Utf16Z(net, deviceNameUnicode, unterminated) : AnsiZ(net, deviceNameOffset, unterminated);
  }
  if (flags & 0x2) link.NetworkProviderType = net.U32(16);
}

size_t ReadLinkInfo(const Bytes& file, size_t pos, TShellLinkFile& link) {
  uint32_t size = file.U32(pos);
  if (size < 0x1C) Fail("LinkInfo too small");
  Bytes info = file.Sub(pos, size, "LinkInfo runs past the end");
  uint32_t headerSize = info.U32(4);
  if (headerSize < 0x1C || headerSize > size) Fail("bad LinkInfo header size");
  link.LinkInfoFlags = info.U32(8);
  uint32_t volumeIdOffset = info.U32(12);
  uint32_t localBasePathOffset = info.U32(16);
  uint32_t networkOffset = info.U32(20);
  uint32_t suffixOffset = info.U32(24);
  uint32_t localBasePathUnicode = 0, suffixUnicode = 0;
  if (headerSize >= 0x24) {
    localBasePathUnicode = info.U32(28);
    suffixUnicode = info.U32(32);
  }
  const char* unterminated = "unterminated LinkInfo path";
  if (link.LinkInfoFlags & kLinkInfoVolumeIdAndLocalBasePath) {
    if (volumeIdOffset) ReadVolumeId(info, volumeIdOffset, link);
    if (localBasePathUnicode) {
      link.LocalBasePath = Utf16Z(info, localBasePathUnicode, unterminated);
    } else if (localBasePathOffset) {
      link.LocalBasePath = AnsiZ(info, localBasePathOffset, unterminated);
    }
  }
  if ((link.LinkInfoFlags & kLinkInfoCommonNetworkRelativeLink) && networkOffset) {
    ReadNetworkLink(info, networkOffset, link);
  }
  if (suffixUnicode) {
    link.CommonPathSuffix = Utf16Z(info, suffixUnicode, unterminated);
  } else if (suffixOffset) {
    link.CommonPathSuffix = AnsiZ(info, suffixOffset, unterminated);
  }
  return pos + size;
}

// ---- StringData ----

// Windows reads at most 260 characters of the capped strings into a buffer whose last
// character it sets to NUL; whatever the count claims beyond that is the next string.
size_t ReadString(const Bytes& file, size_t pos, bool unicode, bool capped, std::wstring& out) {
  size_t count = file.U16(pos);
  pos += 2;
  if (capped) count = std::min<size_t>(count, kShellLinkCappedStringChars);
  const size_t bytes = unicode ? count * 2 : count;
  file.Need(pos, bytes);
  out = unicode ? Utf16At(file, pos, count) : AnsiAt(file, pos, count);
  if (capped && count == kShellLinkCappedStringChars && out.size() >= count) out.resize(count - 1);
  return pos + bytes;
}

// ---- ExtraData ----

void ReadTargetBlock(const Bytes& block, std::wstring& target) {
  if (block.Size() < kTargetBlockSize) Fail("extra data block too small");
  std::wstring unicode = Utf16At(block, 8 + 260, 260);
  target = unicode.empty() ? AnsiAt(block, 8, 260) : unicode;
}

// Windows also loads a file that ends, without a terminal block, right after its
// strings or after a whole block (some malicious shortcuts do), so that is accepted;
// a block or terminal cut short is not.
size_t ReadExtraData(const Bytes& file, size_t pos, TShellLinkFile& link) {
  for (;;) {
    if (pos == file.Size()) return pos;
    if (!file.Fits(pos, 4)) Fail("truncated extra data");
    uint32_t size = file.U32(pos);
    if (size < 4) return pos + 4;
    if (size < 8) Fail("bad extra data block size");
    Bytes block = file.Sub(pos, size, "extra data block runs past the end");
    switch (block.U32(4)) {
      case kEnvironmentVariableBlock: ReadTargetBlock(block, link.EnvironmentTarget); break;
      case kIconEnvironmentBlock: ReadTargetBlock(block, link.IconEnvironmentTarget); break;
      case kDarwinBlock:
        ReadTargetBlock(block, link.DarwinId);
        link.HasDarwinBlock = true;
        break;
      default: break;
    }
    pos += size;
  }
}

void ReadHeader(const Bytes& file, TShellLinkFile& link) {
  if (!file.Fits(0, kShellLinkHeaderSize)) Fail("shorter than a shell link header");
  if (file.U32(0) != kShellLinkHeaderSize) Fail("wrong header size");
  if (std::memcmp(file.View(4, 16).data(), kShellLinkClsid, 16) != 0) Fail("not a shell link");
  link.LinkFlags = file.U32(0x14);
  link.FileAttributes = file.U32(0x18);
  link.CreationTime = file.U64(0x1C);
  link.AccessTime = file.U64(0x24);
  link.WriteTime = file.U64(0x2C);
  link.FileSize = file.U32(0x34);
  link.IconIndex = static_cast<int32_t>(file.U32(0x38));
  link.ShowCommand = file.U32(0x3C);
  link.HotKey = file.U16(0x40);
}

}  // namespace

std::wstring TShellLinkFile::LocalTargetPath() const {
  if (!Has(kLinkHasLinkInfo) || !(LinkInfoFlags & kLinkInfoVolumeIdAndLocalBasePath) || LocalBasePath.empty()) {
    return {};
  }
  return JoinPath(LocalBasePath, CommonPathSuffix);
}

std::wstring TShellLinkFile::NetworkTargetPath() const {
  if (!Has(kLinkHasLinkInfo) || !(LinkInfoFlags & kLinkInfoCommonNetworkRelativeLink) || NetName.empty()) {
    return {};
  }
  return JoinPath(NetName, CommonPathSuffix);
}

std::optional<TShellLinkFile> ParseShellLink(std::string_view bytes, std::string* error) {
  try {
    Bytes file(bytes, "truncated shell link");
    TShellLinkFile link;
    ReadHeader(file, link);
    size_t pos = kShellLinkHeaderSize;
    if (link.Has(kLinkHasTargetIdList)) pos = ReadIdList(file, pos, link);
    if (link.Has(kLinkHasLinkInfo)) pos = ReadLinkInfo(file, pos, link);
    const bool unicode = link.Has(kLinkIsUnicode);
    if (link.Has(kLinkHasName)) pos = ReadString(file, pos, unicode, true, link.Name);
    if (link.Has(kLinkHasRelativePath)) pos = ReadString(file, pos, unicode, true, link.RelativePath);
    if (link.Has(kLinkHasWorkingDir)) pos = ReadString(file, pos, unicode, true, link.WorkingDir);
    if (link.Has(kLinkHasArguments)) pos = ReadString(file, pos, unicode, false, link.Arguments);
    if (link.Has(kLinkHasIconLocation)) pos = ReadString(file, pos, unicode, false, link.IconLocation);
    link.Size = ReadExtraData(file, pos, link);
    return link;
  } catch (const Malformed& malformed) {
    if (error) *error = malformed.reason;
    return std::nullopt;
  }
}

}  // namespace dw
