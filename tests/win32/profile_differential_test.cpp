// The portable profile functions against the real GetPrivateProfileStringW and
// WritePrivateProfileStringW: the same files, read and written through both, must
// give the same values and the same bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "platform/win32/Win32Profile.h"
#include "state/Settings.h"
#include "state/SharedState.h"
#include "state/logfile.h"
#include "support/FakeSystem.h"
#include "support/MemoryProfileFiles.h"

namespace dw {
namespace {

std::string Utf16Le(std::wstring_view text) {
  std::string out("\xFF\xFE", 2);
  for (wchar_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return out;
}

std::string Utf16Be(std::wstring_view text) {
  std::string out("\xFE\xFF", 2);
  for (wchar_t c : text) {
    out.push_back(static_cast<char>((c >> 8) & 0xFF));
    out.push_back(static_cast<char>(c & 0xFF));
  }
  return out;
}

// A fresh folder under the temp folder, removed with its files afterwards.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    FPath = std::wstring(base) + L"dw_profile_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(FPath.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::wstring& file : FFiles) DeleteFileW(file.c_str());
    RemoveDirectoryW(FPath.c_str());
  }
  std::wstring File(const std::wstring& name) {
    FFiles.push_back(FPath + name);
    return FFiles.back();
  }
  const std::wstring& Path() const { return FPath; }

 private:
  std::wstring FPath;
  std::vector<std::wstring> FFiles;
};

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

std::string Printable(const std::string& bytes) {
  std::string out;
  for (char signedByte : bytes) {
    auto c = static_cast<unsigned char>(signedByte);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<std::wstring> sections;
  std::vector<std::wstring> keys;
};

// Files that exercise every rule of the reader; every section name is asked with
// every key name, several defaults and several buffer sizes.
std::vector<ReadCase> ReadCases() {
  const std::wstring unicode =
      L"[app]\r\nname=\u00C9t\u00E9 \u0416\u03A9\r\n  spaced  =  \"q\"  \r\n"
      L"[\u0416\u03A9\u00DC\u0178]\r\n\u00C9\u0141=letters\r\n";
  return {
      {"plain",
       "[app]\r\n"
       "enable=1\r\n"
       "  Spaced Key   =   spaced value   \r\n"
       "quoted=\"  inner  \"\r\n"
       "single='x'\r\n"
       "mixed=\"x'\r\n"
       "lonequote=\"\r\n"
       "emptyquotes=\"\"\r\n"
       "inner=a\"b\"\r\n"
       "eq = a = b\r\n"
       "novalue\r\n"
       "empty=\r\n"
       "; comment=hidden\r\n"
       "dup=first\r\n"
       "DUP=second\r\n"
       "\r\n"
       "[ Other Section ]\r\n"
       "k=v\r\n"
       "[app]\r\n"
       "late=yes\r\n"
       "enable=0\r\n",
       {L"app", L"APP", L"  app\t", L"Other Section", L"other section", L" Other Section ", L"missing", L""},
       {L"enable",    L"ENABLE",    L" enable ",    L"Spaced Key", L"spaced key", L"quoted",  L"single",
        L"mixed",     L"lonequote", L"emptyquotes", L"inner",      L"eq",         L"novalue", L"empty",
        L"; comment", L"comment",   L"dup",         L"k",          L"late",       L"missing", L""}},
      {"keys before the first section",
       "top=1\r\n=nameless\r\n=dropped\r\n[app]\r\nx=2\r\n",
       {L"", L"app", L" "},
       {L"top", L"x", L""}},
      {"headers",
       "[app\r\nbroken=1\r\n[a]b]\r\nk=1\r\n[sec] trailing\r\nk=2\r\n[]\r\nk=3\r\n[ spaced ]\r\nk=4\r\n",
       {L"app", L"[app", L"a]b", L"a", L"sec", L"sec] trailing", L"", L"spaced", L" spaced "},
       {L"broken", L"k", L"[app"}},
      {"line endings and blanks",
       "[app]\nlf=1\rcr=2\r\n\r\n\n\tTab\t=\tvalue\t\r\nz=last\x1a",
       {L"app"},
       {L"lf", L"cr", L"tab", L"z"}},
      {"long values", "[app]\r\nlong=" + std::string(300, 'x') + "\r\nq=\"0123456789\"\r\n", {L"app"}, {L"long", L"q"}},
      {"utf-16le with bom",
       Utf16Le(unicode),
       {L"app", L"APP", L"\u0416\u03A9\u00DC\u0178", L"\u0436\u03C9\u00FC\u00FF"},
       {L"name", L"spaced", L"\u00C9\u0141", L"\u00E9\u0142"}},
      {"utf-16be with bom", Utf16Be(unicode), {L"app"}, {L"name", L"spaced"}},
      {"utf-8 with bom", "\xEF\xBB\xBF[app]\r\nname=\xC3\x89t\xC3\xA9 \xD0\x96\r\n", {L"app"}, {L"name"}},
      {"ansi",
       "[\xC9T\xC9]\r\nname=\xC9t\xE9 \x80\r\nnbsp=\xA0value\xA0\r\n",
       {L"\u00C9T\u00C9", L"\u00E9t\u00E9", L"ETE"},
       {L"name", L"nbsp"}},
      {"empty file", "", {L"app", L""}, {L"k", L""}},
      {"only a bom", "\xFF\xFE", {L"app", L""}, {L"k", L""}},
  };
}

const std::wstring kDefaults[] = {L"", L"dflt  ", L"\"quoted default\"", L"   "};
const size_t kBufferSizes[] = {1, 2, 3, 5, 8, 10, 11, 12, 2048};

TEST(ProfileDifferential, ReadsAgreeWithTheRealApi) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI cases assume code page 1252, not " << GetACP();
  TempFolder folder;
  ProfileFiles& real = *Win32ProfileFiles();
  test::MemoryProfileFiles portable;
  int index = 0;
  int mismatches = 0;
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    std::wstring path = folder.File(L"read" + std::to_wstring(index++) + L".ini");
    ASSERT_TRUE(WriteBytes(path, c.bytes));
    portable.store.Put(path, c.bytes);
    if (index == 1) {
      ASSERT_EQ(real.ReadString(path, L"app", L"enable", L"", 2048), L"1");  // the API sees the file
    }
    for (const std::wstring& section : c.sections) {
      for (const std::wstring& key : c.keys) {
        for (const std::wstring& def : kDefaults) {
          for (size_t size : kBufferSizes) {
            std::wstring expected = real.ReadString(path, section, key, def, size);
            std::wstring actual = portable.ReadString(path, section, key, def, size);
            if (actual == expected || ++mismatches > 30) continue;
            ADD_FAILURE() << "[" << testing::PrintToString(section) << "] " << testing::PrintToString(key)
                          << " default " << testing::PrintToString(def) << " size " << size << ": portable "
                          << testing::PrintToString(actual) << ", API " << testing::PrintToString(expected);
          }
        }
      }
    }
  }
}

TEST(ProfileDifferential, MissingFileAndMissingFolderGiveTheDefault) {
  TempFolder folder;
  ProfileFiles& real = *Win32ProfileFiles();
  test::MemoryProfileFiles portable;
  const std::wstring missingFile = folder.Path() + L"absent.ini";
  for (const std::wstring& def : kDefaults) {
    for (size_t size : {size_t{1}, size_t{4}, size_t{2048}}) {
      EXPECT_EQ(portable.ReadString(missingFile, L"app", L"k", def, size),
                real.ReadString(missingFile, L"app", L"k", def, size));
    }
  }
  // A folder that does not exist: the API hands the default back as given.
  const std::wstring missingFolder = folder.Path() + L"absent\\config.ini";
  portable.store.SetUnreachable(true);
  for (const std::wstring& def : kDefaults) {
    EXPECT_EQ(portable.ReadString(missingFolder, L"app", L"k", def, 2048),
              real.ReadString(missingFolder, L"app", L"k", def, 2048));
  }
  EXPECT_FALSE(real.WriteString(missingFolder, L"app", L"k", L"v"));
  EXPECT_FALSE(portable.WriteString(missingFolder, L"app", L"k", L"v"));
}

struct Write {
  std::wstring section, key, value;
};

struct WriteCase {
  const char* name;
  std::optional<std::string> initial;  // none: the file does not exist
  std::vector<Write> writes;
};

std::vector<WriteCase> WriteCases() {
  const std::string messy =
      "top=1\r\n"
      "[app]\r\n"
      "\r\n"
      "  a = 1 \r\n"
      "; note\r\n"
      "novalue\r\n"
      "\r\n"
      "[ scan ]  trailing\r\n"
      "b=2\r\n"
      "[app]\r\n"
      "late=3\r\n";
  return {
      {"first start and quit",
       std::nullopt,
       {{L"app", L"enable", L"1"},
        {L"computer", L"AntivirusCmdLine", L""},
        {L"action", L"menace", L"0"},
        {L"action", L"risk", L"0"},
        {L"app", L"firstrun", L"0"},
        {L"app", L"languageId", L"0"},
        {L"scan", L"avoid", L"C:\\;"}}},
      {"messy file, key replaced in place", messy, {{L"APP", L"A", L"9"}}},
      {"messy file, new key goes to the first section of the name", messy, {{L"app", L"new", L"x"}}},
      {"messy file, same value leaves it untouched", messy, {{L"app", L"a", L"1"}}},
      {"messy file, key without value gets one", messy, {{L"app", L"novalue", L"v"}}},
      {"messy file, keys before the first section", messy, {{L"", L"top", L"2"}, {L"", L"other", L"3"}}},
      {"messy file, new section", messy, {{L"new", L"k", L"v"}, {L"SCAN", L"c", L"3"}}},
      {"blanks in names and values",
       std::nullopt,
       {{L"  app  ", L"  key  ", L"  value  "}, {L"app", L"key", L"\"quoted\""}, {L" app", L"key2", L"x"}}},
      {"empty section name on a new file", std::nullopt, {{L"", L"k", L"v"}, {L"app", L"a", L"1"}}},
      {"utf-16le keeps its encoding",
       Utf16Le(L"[app]\r\nname=\u00C9t\u00E9\r\n"),
       {{L"app", L"name", L"\u0416\u03A9"}, {L"new", L"k", L"\u00E9"}}},
      {"utf-16be keeps its encoding", Utf16Be(L"[app]\r\nk=1\r\n"), {{L"app", L"k", L"\u00E9"}}},
      {"utf-8 keeps its encoding", std::string("\xEF\xBB\xBF[app]\r\nk=1\r\n"), {{L"app", L"k", L"\u0416"}}},
      {"ansi", std::string("[app]\r\nk=\xE9\r\n"), {{L"app", L"k", L"\u00C9\u20AC"}, {L"app", L"j", L"x"}}},
      {"empty file", std::string(), {{L"app", L"k", L"v"}}},
  };
}

TEST(ProfileDifferential, WritesProduceTheSameFiles) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI cases assume code page 1252, not " << GetACP();
  TempFolder folder;
  ProfileFiles& real = *Win32ProfileFiles();
  test::MemoryProfileFiles portable;
  int index = 0;
  for (const WriteCase& c : WriteCases()) {
    SCOPED_TRACE(c.name);
    std::wstring path = folder.File(L"write" + std::to_wstring(index++) + L".ini");
    if (c.initial) {
      ASSERT_TRUE(WriteBytes(path, *c.initial));
      portable.store.Put(path, *c.initial);
    }
    for (const Write& w : c.writes) {
      EXPECT_EQ(portable.WriteString(path, w.section, w.key, w.value),
                real.WriteString(path, w.section, w.key, w.value));
    }
    std::optional<std::string> expected = ReadBytes(path);
    std::optional<std::string> actual = portable.store.Get(path);
    ASSERT_TRUE(expected.has_value());
    ASSERT_TRUE(actual.has_value());
    EXPECT_EQ(Printable(*actual), Printable(*expected));
  }
}

TEST(ProfileDifferential, SettingsRoundTripThroughTheRealApi) {
  TempFolder folder;
  test::FakeSystem system;
  ScopedPlatform platform{Platform{nullptr, nullptr, &system, nullptr, nullptr}};
  test::MemoryProfileFiles portable;
  const std::wstring path = folder.File(L"config.ini");
  TSettingsFile real(path, Win32ProfileFiles());
  TSettingsFile mirror(path, &portable);

  // A first start and quit writes the same file through both.
  TSharedState state;
  LoadSettings(state, real);
  SaveSettings(state, real, 0);
  TSharedState mirrorState;
  LoadSettings(mirrorState, mirror);
  SaveSettings(mirrorState, mirror, 0);
  std::optional<std::string> written = ReadBytes(path);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(Printable(*portable.store.Get(path)), Printable(*written));

  // Text that the profile functions would otherwise clip comes back whole.
  const std::wstring commandLine = L"\"C:\\Program Files\\AV\\scan.exe\" \"%s\"";
  state.AntivirusCommandLine = commandLine;
  SaveSettings(state, real, 0);
  TSharedState next;
  LoadSettings(next, real);
  EXPECT_EQ(next.AntivirusCommandLine, commandLine);
}

}  // namespace
}  // namespace dw
