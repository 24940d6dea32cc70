// A language file in memory: sections of key/value lines, read with the
// reader's rules (byte-order marks, ANSI otherwise; lines stripped of codes 0 to
// 32; ";" comments; last section and last key of a name win), plus the comma
// lists that carry several texts in one value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/CommaList.h"

namespace dw {

struct TLangLine {
  bool HasKey = false;  // a line without "=" is kept but never found
  std::wstring Key;
  std::wstring Value;  // the whole line when it has no key
  // The value's bytes as they stood in a file read in the ANSI code page; they
  // are what a UTF-8 value is decoded from, whatever the code page can hold.
  std::optional<std::string> AnsiBytes;
  // The value is already final text (stored by the writer): never decoded again.
  bool Final = false;
};

struct TLangSection {
  std::wstring Name;
  std::vector<TLangLine> Lines;

  // The last line with this key (letter case ignored); null when absent.
  const TLangLine* Find(std::wstring_view key) const;
  TLangLine* Find(std::wstring_view key);
};

class TLangImage {
 public:
  TLangImage() = default;
  // Decodes the file's bytes: a byte-order mark selects UTF-8 or UTF-16 and is
  // skipped, otherwise the bytes are taken in the system's ANSI code page.
  static TLangImage Parse(std::string_view bytes);

  // The last section of that name (letter case ignored); null when absent.
  const TLangSection* Section(std::wstring_view name) const;
  TLangSection* Section(std::wstring_view name);
  const std::vector<TLangSection>& Sections() const { return FSections; }

  // Stores a final value under the last section and key of these names,
  // adding the section or the line at the end when missing.
  void Set(std::wstring_view section, std::wstring_view key, const std::wstring& value);

  // The file the image was read from (the writer writes back there).
  std::wstring FileName;

 private:
  std::vector<TLangSection> FSections;
};

// Strips leading and trailing characters with codes 0 to 32.
std::wstring_view StripControls(std::wstring_view text);
// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

}  // namespace dw
