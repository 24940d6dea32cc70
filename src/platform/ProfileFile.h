// INI files read and written the way GetPrivateProfileStringW and
// WritePrivateProfileStringW treat them (as Wine implements them), for systems
// that have no such functions and for tests. The rules, which look odd in places:
//
// - A file is UTF-16LE or UTF-16BE after its byte-order mark, UTF-8 after a UTF-8
//   byte-order mark, and otherwise in the ANSI code page (Windows-1252 here).
// - Lines end at any run of CR and LF; blanks (tab to CR, ^Z, space) around a line
//   are dropped, and blank lines vanish.
// - "[name]" opens a section: the name runs to the last "]" of the line, blanks
//   around it dropped. A "[" line without "]" is an ordinary line.
// - Other lines are keys: the name before the first "=", the value after it, blanks
//   around both dropped. A line without "=" is a key without a value, which reads
//   as missing. Lines before the first section belong to a section without a name,
//   which the empty section name finds. A ";" line is no different from others:
//   comments are keys that nobody asks for.
// - Look-ups ignore the case of A to Z (not of other letters) and blanks around the
//   names asked for; only the first section of a name is searched, and the first
//   key of a name wins.
// - A value enclosed in one pair of the same quotation marks (' or ") is read
//   without them; at most bufferSize - 1 characters are returned.
// - Writing rewrites the whole file in its encoding: a new section goes at the end,
//   a new key at the end of its section, an existing key changes in place, and
//   blank lines and blanks around "=" are gone afterwards. Writing the value a key
//   already has leaves the file untouched.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace dw {

enum class ProfileEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct ProfileKey {
  std::wstring name;
  std::optional<std::wstring> value;  // none: a line without "="
};

struct ProfileSection {
  std::wstring name;  // empty: the lines before the first section
  std::vector<ProfileKey> keys;
};

// The parsed content of one profile file.
class TProfileDocument {
 public:
  // An empty file has no sections at all, not even the unnamed one.
  static TProfileDocument Parse(std::string_view bytes);
  std::string Serialize() const;

  // The value of the first key of that name in the first section of that name;
  // none when missing or without "=".
  std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;
  // Sets a key, creating section and key as needed; false when it already had
  // exactly this value (nothing to write).
  bool Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);

  ProfileEncoding encoding = ProfileEncoding::Ansi;
  std::vector<ProfileSection> sections;
};

// What the profile functions return for a value or default: one pair of enclosing
// quotes removed, at most bufferSize - 1 characters.
std::wstring ProfileCopyEntry(std::wstring_view value, size_t bufferSize);

// What GetPrivateProfileStringW returns from a file holding bytes.
std::wstring ProfileString(std::string_view bytes, std::wstring_view section, std::wstring_view key,
                           const std::wstring& defaultValue, size_t bufferSize);

// Where the portable profile functions find the files.
class ProfileStore {
 public:
  enum class Status { Ok, NotFound, Failed };
  virtual ~ProfileStore() = default;
  // NotFound: the file is missing but its folder exists; Failed: anything else.
  virtual Status Load(const std::wstring& file, std::string& bytes) = 0;
  virtual bool Save(const std::wstring& file, std::string_view bytes) = 0;
};

// The profile functions over a store. Reads and read-modify-writes are serialised
// within the process.
class TPortableProfileFiles : public ProfileFiles {
 public:
  explicit TPortableProfileFiles(ProfileStore& store) : FStore(store) {}

  std::wstring ReadString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue, size_t bufferSize = 2048) override;
  bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) override;

 private:
  ProfileStore& FStore;
  std::mutex FLock;
};

}  // namespace dw
