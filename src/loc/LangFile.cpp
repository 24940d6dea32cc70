#include "loc/LangFile.h"

#include "common/Text.h"
#include "platform/Platform.h"

namespace dw {

namespace {

bool IsControl(wchar_t c) { return static_cast<uint32_t>(c) <= 32; }

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    char32_t unit = static_cast<char32_t>(lo | (hi << 8));
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<wchar_t>(unit));
    } else {
      // wchar_t holds whole code points here: join surrogate pairs.
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
        auto lo2 = static_cast<unsigned char>(bytes[i + 2 + (bigEndian ? 1 : 0)]);
        auto hi2 = static_cast<unsigned char>(bytes[i + 2 + (bigEndian ? 0 : 1)]);
        char32_t low = static_cast<char32_t>(lo2 | (hi2 << 8));
        if (low >= 0xDC00 && low <= 0xDFFF) {
          out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
          i += 2;
          continue;
        }
      }
      if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
      out.push_back(static_cast<wchar_t>(unit));
    }
  }
  return out;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

// The file as a sequence of units to split into lines. A file without a
// byte-order mark is kept as its bytes (one unit per byte) so that each value
// can later be decoded from its own bytes; every character the reader looks at
// (codes 0 to 32, "[", "]", "=", ";") is ASCII, which the ANSI code pages share.
struct TUnits {
  std::wstring Text;
  bool Ansi = false;
};

TUnits Decode(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return {Utf8ToWide(bytes.substr(3)), false};
  if (StartsWith(bytes, "\xFF\xFE")) return {DecodeUtf16(bytes.substr(2), false), false};
  if (StartsWith(bytes, "\xFE\xFF")) return {DecodeUtf16(bytes.substr(2), true), false};
  TUnits units{std::wstring(bytes.size(), L'\0'), true};
  for (size_t i = 0; i < bytes.size(); ++i) units.Text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
  return units;
}

std::string UnitBytes(std::wstring_view units) {
  std::string bytes(units.size(), '\0');
  for (size_t i = 0; i < units.size(); ++i) bytes[i] = static_cast<char>(units[i]);
  return bytes;
}

std::wstring PieceText(std::wstring_view piece, bool ansi) {
  return ansi ? Sys().FromAnsi(UnitBytes(piece)) : std::wstring(piece);
}

template <class Section>
Section* LastSection(std::vector<Section>& sections, std::wstring_view name) {
  for (auto it = sections.rbegin(); it != sections.rend(); ++it)
    if (EqualsNoCase(it->Name, name)) return &*it;
  return nullptr;
}

}  // namespace

std::wstring_view StripControls(std::wstring_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsControl(text[begin])) ++begin;
  while (end > begin && IsControl(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra = (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size()) return false;
    char32_t cp = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      auto c = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

const TLangLine* TLangSection::Find(std::wstring_view key) const {
  for (auto it = Lines.rbegin(); it != Lines.rend(); ++it)
    if (it->HasKey && EqualsNoCase(it->Key, key)) return &*it;
  return nullptr;
}

TLangLine* TLangSection::Find(std::wstring_view key) {
  return const_cast<TLangLine*>(static_cast<const TLangSection*>(this)->Find(key));
}

TLangImage TLangImage::Parse(std::string_view bytes) {
  TLangImage image;
  TUnits units = Decode(bytes);
  std::wstring_view text = units.Text;
  TLangSection* current = nullptr;

  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view line = StripControls(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size()) pos += (text[pos] == L'\r' && pos + 1 < text.size() && text[pos + 1] == L'\n') ? 2u : 1u;

    if (line.empty() || line.front() == L';') continue;
    if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
      image.FSections.push_back({PieceText(StripControls(line.substr(1, line.size() - 2)), units.Ansi), {}});
      current = &image.FSections.back();
      continue;
    }
    if (!current) continue;

    TLangLine entry;
    size_t eq = line.find(L'=');
    std::wstring_view value = line;
    if (eq != std::wstring_view::npos) {
      entry.HasKey = true;
      entry.Key = PieceText(StripControls(line.substr(0, eq)), units.Ansi);
      value = StripControls(line.substr(eq + 1));
    }
    entry.Value = PieceText(value, units.Ansi);
    if (units.Ansi) entry.AnsiBytes = UnitBytes(value);
    current->Lines.push_back(std::move(entry));
  }
  return image;
}

const TLangSection* TLangImage::Section(std::wstring_view name) const {
  return LastSection(const_cast<std::vector<TLangSection>&>(FSections), name);
}

TLangSection* TLangImage::Section(std::wstring_view name) { return LastSection(FSections, name); }

void TLangImage::Set(std::wstring_view section, std::wstring_view key, const std::wstring& value) {
  TLangSection* target = Section(section);
  if (!target) {
    FSections.push_back({std::wstring(section), {}});
    target = &FSections.back();
  }
  TLangLine* line = target->Find(key);
  if (!line) {
    TLangLine added;
    added.HasKey = true;
    added.Key = std::wstring(key);
    target->Lines.push_back(std::move(added));
    line = &target->Lines.back();
  }
  line->Value = value;
  line->AnsiBytes.reset();
  line->Final = true;
}

}  // namespace dw
