#include "platform/ProfileFile.h"

#include "common/Text.h"

namespace dw {

namespace {

bool IsProfileSpace(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

std::wstring_view Trim(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsProfileSpace(s[b])) ++b;
  while (e > b && IsProfileSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::wstring_view TrimLeft(std::wstring_view s) {
  size_t b = 0;
  while (b < s.size() && IsProfileSpace(s[b])) ++b;
  return s.substr(b);
}

// Names match as the API matches them: ignoring the case of A to Z only (É and é
// are different section names to it).
bool SameName(std::wstring_view a, std::wstring_view b) { return AsciiLower(a) == AsciiLower(b); }

// The API sees C strings: whatever follows a NUL does not exist for it.
std::wstring_view UpToNul(std::wstring_view s) { return s.substr(0, s.find(L'\0')); }

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    char32_t unit = static_cast<char32_t>(lo | (hi << 8));
    if constexpr (sizeof(wchar_t) == 4) {
      // Join surrogate pairs into the code points that wide strings hold here.
      if (unit >= 0xDC00 && unit <= 0xDFFF && !out.empty()) {
        char32_t prev = static_cast<char32_t>(out.back());
        if (prev >= 0xD800 && prev <= 0xDBFF) {
          out.back() = static_cast<wchar_t>(0x10000 + ((prev - 0xD800) << 10) + (unit - 0xDC00));
          continue;
        }
      }
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

void AppendUnit(std::string& out, char32_t unit, bool bigEndian) {
  char lo = static_cast<char>(unit & 0xFF);
  char hi = static_cast<char>((unit >> 8) & 0xFF);
  out.push_back(bigEndian ? hi : lo);
  out.push_back(bigEndian ? lo : hi);
}

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if constexpr (sizeof(wchar_t) == 4) {
      if (c >= 0x10000) {
        c -= 0x10000;
        AppendUnit(out, 0xD800 + (c >> 10), bigEndian);
        AppendUnit(out, 0xDC00 + (c & 0x3FF), bigEndian);
        continue;
      }
    }
    AppendUnit(out, c & 0xFFFF, bigEndian);
  }
  return out;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

std::wstring Decode(std::string_view bytes, ProfileEncoding& encoding) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    encoding = ProfileEncoding::Utf8;
    return Utf8ToWide(bytes.substr(3));
  }
  if (StartsWith(bytes, "\xFF\xFE")) {
    encoding = ProfileEncoding::Utf16Le;
    return DecodeUtf16(bytes.substr(2), false);
  }
  if (StartsWith(bytes, "\xFE\xFF")) {
    encoding = ProfileEncoding::Utf16Be;
    return DecodeUtf16(bytes.substr(2), true);
  }
  encoding = ProfileEncoding::Ansi;
  return Cp1252ToWide(bytes);
}

ProfileKey ParseKey(std::wstring_view line) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return {std::wstring(UpToNul(line)), std::nullopt};
  std::wstring_view name = Trim(line.substr(0, eq));
  std::wstring_view value = TrimLeft(line.substr(eq + 1));
  return {std::wstring(UpToNul(name)), std::wstring(UpToNul(value))};
}

}  // namespace

TProfileDocument TProfileDocument::Parse(std::string_view bytes) {
  TProfileDocument doc;
  if (bytes.empty()) return doc;
  std::wstring text = Decode(bytes, doc.encoding);
  doc.sections.emplace_back();
  std::wstring_view rest(text);
  while (!rest.empty()) {
    size_t end = rest.find_first_of(L"\r\n");
    if (end == std::wstring_view::npos) end = rest.size();
    std::wstring_view line = Trim(rest.substr(0, end));
    size_t next = rest.find_first_not_of(L"\r\n", end);
    rest = next == std::wstring_view::npos ? std::wstring_view() : rest.substr(next);
    if (line.empty()) continue;

    size_t close = line.rfind(L']');
    if (line.front() == L'[' && close != std::wstring_view::npos && close > 0) {
      ProfileSection section;
      section.name = std::wstring(UpToNul(Trim(line.substr(1, close - 1))));
      doc.sections.push_back(std::move(section));
      continue;
    }
    ProfileKey key = ParseKey(line);
    std::vector<ProfileKey>& keys = doc.sections.back().keys;
    // A run of lines with empty names keeps only its first.
    if (key.name.empty() && !keys.empty() && keys.back().name.empty()) continue;
    keys.push_back(std::move(key));
  }
  return doc;
}

std::string TProfileDocument::Serialize() const {
  std::wstring text;
  for (const ProfileSection& section : sections) {
    // A section whose name is empty has no header line: its keys read back as part
    // of the section before it.
    if (!section.name.empty()) text += L"[" + section.name + L"]\r\n";
    for (const ProfileKey& key : section.keys) {
      text += key.name;
      if (key.value) text += L"=" + *key.value;
      text += L"\r\n";
    }
  }
  switch (encoding) {
    case ProfileEncoding::Utf8: return "\xEF\xBB\xBF" + WideToUtf8(text);
    case ProfileEncoding::Utf16Le: return "\xFF\xFE" + EncodeUtf16(text, false);
    case ProfileEncoding::Utf16Be: return "\xFE\xFF" + EncodeUtf16(text, true);
    case ProfileEncoding::Ansi: break;
  }
  return WideToCp1252(text);
}

std::optional<std::wstring> TProfileDocument::Find(std::wstring_view section, std::wstring_view key) const {
  std::wstring_view sectionName = Trim(UpToNul(section));
  std::wstring_view keyName = Trim(UpToNul(key));
  for (const ProfileSection& s : sections) {
    if (!SameName(s.name, sectionName)) continue;
    for (const ProfileKey& k : s.keys) {
      if (SameName(k.name, keyName)) return k.value;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

bool TProfileDocument::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  // New names keep their trailing blanks; only leading ones are dropped.
  std::wstring_view sectionName = TrimLeft(UpToNul(section));
  std::wstring_view keyName = TrimLeft(UpToNul(key));
  std::wstring_view newValue = TrimLeft(UpToNul(value));

  ProfileKey* target = nullptr;
  for (ProfileSection& s : sections) {
    if (!SameName(s.name, Trim(sectionName))) continue;
    for (ProfileKey& k : s.keys) {
      if (SameName(k.name, Trim(keyName))) {
        target = &k;
        break;
      }
    }
    if (!target) {
      s.keys.push_back({std::wstring(keyName), std::nullopt});
      target = &s.keys.back();
    }
    break;
  }
  if (!target) {
    sections.push_back({std::wstring(sectionName), {{std::wstring(keyName), std::nullopt}}});
    target = &sections.back().keys.back();
  }
  if (target->value && *target->value == newValue) return false;
  target->value = std::wstring(newValue);
  return true;
}

std::wstring ProfileCopyEntry(std::wstring_view value, size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::wstring_view v = UpToNul(value);
  bool quoted = v.size() >= 2 && (v.front() == L'\'' || v.front() == L'"') && v.back() == v.front();
  if (quoted) v.remove_prefix(1);
  std::wstring out(v.substr(0, bufferSize - 1));
  // The closing quote goes only when the buffer could hold it, and then it takes
  // the last character copied, whatever that is (the API does the same).
  if (quoted && bufferSize >= v.size() && !out.empty()) out.pop_back();
  return out;
}

namespace {

// Trailing blanks of the default go, but never its first character.
std::wstring_view TrimmedDefault(const std::wstring& defaultValue) {
  std::wstring_view def = UpToNul(defaultValue);
  while (def.size() > 1 && def.back() == L' ') def.remove_suffix(1);
  return def;
}

}  // namespace

std::wstring ProfileString(std::string_view bytes, std::wstring_view section, std::wstring_view key,
                           const std::wstring& defaultValue, size_t bufferSize) {
  if (bufferSize == 0) return {};
  TProfileDocument doc = TProfileDocument::Parse(bytes);
  std::optional<std::wstring> value = doc.Find(section, key);
  return ProfileCopyEntry(value ? std::wstring_view(*value) : TrimmedDefault(defaultValue), bufferSize);
}

std::wstring TPortableProfileFiles::ReadString(const std::wstring& file, const std::wstring& section,
                                               const std::wstring& key, const std::wstring& defaultValue,
                                               size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::string bytes;
  ProfileStore::Status status;
  {
    std::lock_guard<std::mutex> lock(FLock);
    status = FStore.Load(file, bytes);
  }
  if (status == ProfileStore::Status::Failed)
    return std::wstring(TrimmedDefault(defaultValue).substr(0, bufferSize - 1));
  return ProfileString(bytes, section, key, defaultValue, bufferSize);
}

bool TPortableProfileFiles::WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                        const std::wstring& value) {
  std::lock_guard<std::mutex> lock(FLock);
  std::string bytes;
  ProfileStore::Status status = FStore.Load(file, bytes);
  if (status == ProfileStore::Status::Failed) return false;
  TProfileDocument doc = TProfileDocument::Parse(status == ProfileStore::Status::Ok ? bytes : std::string());
  if (!doc.Set(section, key, value)) return true;
  return FStore.Save(file, doc.Serialize());
}

}  // namespace dw
