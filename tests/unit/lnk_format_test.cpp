#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/ShellLinkFormat.h"
#include "support/ShortcutBuilder.h"
#include "unit/lnk_samples.h"

namespace dw {
namespace {

using test::LnkSample;
using test::LnkSampleNames;

std::wstring WithLoneSurrogate(const std::wstring& before, const std::wstring& after) {
  return before + static_cast<wchar_t>(0xD800) + after;
}

struct SampleCase {
  std::string file;
  bool parses;
  std::wstring idListPath;
  std::wstring localTarget;
  std::wstring networkTarget;
  std::wstring environment;
  std::wstring relative;
  std::wstring workingDir;
  std::wstring arguments;
  uint32_t showCommand;
  bool argumentsArePrefix = false;
};

const std::wstring kNbsp = L"\u00A0";
const std::wstring kCzechFolder =
    L"A - LM METAL LIFT\\01.OBCHOD - BRO\u017DURY - Prodejn\u00ED a technick\u00E9 informace o produktech"
    L"\\ETN\\ETN-Katalog-ENG\\Katalog ETN 10_2017\\Lift-programme";

// The values the MANIFEST lists for each sample (upstream assertions and decoded
// fields). LinkInfo paths are LocalBasePath joined with CommonPathSuffix.
std::vector<SampleCase> SampleCases() {
  return {
      {"ez-lnk/WinXP_WordPad.lnk", true, L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe",
       L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe", L"", L"",
       L"..\\..\\..\\..\\..\\Program Files\\Windows NT\\Accessories\\wordpad.exe", L"%HOMEDRIVE%%HOMEPATH%", L"", 1},
      {"ez-lnk/WinVista_Windows Update.lnk", true, L"D:\\Windows\\System32\\wuapp.exe",
       L"D:\\Windows\\System32\\wuapp.exe", L"", L"%SystemRoot%\\system32\\wuapp.exe",
       L"..\\..\\..\\..\\Windows\\System32\\wuapp.exe", L"%SystemRoot%\\system32", L"", 1},
      {"ez-lnk/Win8.1_PhotosApp.lnk", true, L"", L"", L"", L"%windir%\\FileManager\\PhotosApp.exe", L"",
       L"%HOMEDRIVE%%HOMEPATH%", L"", 1},
      {"ez-lnk/Misc_remote.file.xp.test", true,
       L"\\\\als-fichiers3\\Qualit\u00E9\\Archives\\M\u00E9thodologie WAS\\Norme de d\u00E9veloppement JAVA.doc", L"",
       L"\\\\ALS-FICHIERS3\\QUALIT\u00C9\\Archives\\M\u00E9thodologie WAS\\Norme de d\u00E9veloppement JAVA.doc", L"",
       L"", L"\\\\als-fichiers3\\Qualit\u00E9\\Archives\\M\u00E9thodologie WAS", L"", 1},
      {"ez-lnk/Misc_local.directory.seven.test", true, L"C:\\Users\\Administrator", L"C:\\Users\\Administrator",
       L"\\\\NETBOOK\\Users\\Administrator", L"", L"..\\..\\Administrator", L"", L"", 1},
      {"ez-lnk/Misc_unicodeNetworkPath.lnk.test", true, L"", L"", L"\\\\\u0793\\C\\relay\\\u8BF4\u660E.txt",
       L"\\\\\u0793\\c\\relay\\\u8BF4\u660E.txt", L"", L"\\\\\u0793\\c\\relay", L"", 1},
      {"ez-lnk/Misc_local.file.darwin.test", true,
       L"C:\\Windows\\Installer\\{AC76BA86-7AD7-1036-7B44-A93000000001}\\SC_Reader.ico", L"", L"", L"",
       L"..\\..\\..\\..\\..\\Windows\\Installer\\{AC76BA86-7AD7-1036-7B44-A93000000001}\\SC_Reader.ico", L"", L"", 1},
      {"ez-lnk/Bad_ImDisk Virtual Disk Driver.test", true, L"", L"", L"", L"", L"", L"", L"", 1},
      {"ez-lnk/Bad_$I2GXWHL.test", false, L"", L"", L"", L"", L"", L"", L"", 0},
      {"plaso/NeroInfoTool.lnk", true, L"C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe",
       L"C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe", L"", L"",
       L"..\\..\\..\\..\\..\\..\\..\\..\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe",
       L"C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool", L"-ScParameter=30002  ", 1},
      {"plaso/example.lnk", true, L"", L"", L"", L"%windir%\\system32\\migwiz\\migwiz.exe", L".\\migwiz\\migwiz.exe",
       L"%windir%\\system32\\migwiz", L"", 1},
      {"plaso/unpaired_surrogate.lnk", true, WithLoneSurrogate(L"C:\\test\\unicode_U+0000d800_", L".exe"),
       WithLoneSurrogate(L"C:\\test\\unicode_U+0000d800_", L".exe"), L"", L"",
       WithLoneSurrogate(L".\\unicode_U+0000d800_", L".exe"), L"C:\\test", L"", 1},
      {"lnkparse3/microsoft_example.b64", true, L"C:\\test\\a.txt", L"C:\\test\\a.txt", L"", L"", L".\\a.txt",
       L"C:\\test", L"", 1},
      {"lnkparse3/sample5.b64", true, L"E:\\" + kNbsp + L"\\" + kNbsp + L".exe",
       L"E:\\" + kNbsp + L"\\" + kNbsp + L".exe", L"", L"", L"", L"", L"/b", 1},
      {"lnkparse3/unknown_block.b64", true, L"C:\\Windows\\system32\\cmd.exe", L"", L"", L"", L"", L"",
       L"/c ren cfsdaacdfawd\\*.vbss *.vbs &start \\cfsdaacdfawd\\aiasfacoiaksf.vbs&start explorer "
       L".android_secure&exit",
       7},
      {"lnkparse3/sample13.b64", true, L"C:\\Windows\\System32\\cmd.exe", L"C:\\Windows\\System32\\cmd.exe", L"",
       L"%windir%\\system32\\cmd.exe", L"", L"B:\\", L"/c start _ & _\\DeviceManager.exe & exit", 7},
      {"lnkparse3/padded_cli_arguments.b64", true, L"C:\\Windows\\System32\\cmd.exe", L"", L"", L"", L"",
       L"C:\\Windows\\System32" + std::wstring(240, L' '), L"/c \"set PATH=%windir%\\system32;%PATH% &", 7, true},
      {"lnkparse3/broken_link_info.b64", true, L"C:\\Program Files\\xt\\xt.exe", L"", L"", L"",
       L"..\\..\\..\\..\\..\\..\\Program Files\\xt\\xt.exe", L"C:\\Program Files\\xt", L"", 1},
      // No Unicode LinkInfo here: the suffix written in code page 1251 reads as 1252.
      {"lnkparse3/decoding_error3.b64", true, L"",
       L"C:\\Users\\\u00C4\u00E8\u00EC\u00E0\\Desktop\\PixelMod\\Mod for Pixelmon\\Error Fix.bat",
       L"\\\\DESKTOP-9AI08QD\\Users\\\u00C4\u00E8\u00EC\u00E0\\Desktop\\PixelMod\\Mod for Pixelmon\\Error Fix.bat", L"",
       L".\\Mod for Pixelmon\\Error Fix.bat",
       L"C:\\Users\\\u0414\u0438\u043C\u0430\\Desktop\\PixelMod\\Mod for Pixelmon", L"", 1},
      {"lnkparse3/network_info.b64", true, L"Z:\\" + kCzechFolder + L"\\ETN-lift programme 2017.pdf", L"",
       L"\\\\10.0.0.150\\LMmetal\\" + kCzechFolder + L"\\ETN-lift programme 2017.pdf", L"", L"", L"Z:\\" + kCzechFolder,
       L"", 1},
  };
}

TEST(ShellLinkFormat, SamplesDecodeToTheirDocumentedValues) {
  std::vector<SampleCase> cases = SampleCases();
  ASSERT_EQ(cases.size(), LnkSampleNames().size());
  for (const SampleCase& c : cases) {
    SCOPED_TRACE(c.file);
    std::string error;
    std::optional<TShellLinkFile> link = ParseShellLink(LnkSample(c.file), &error);
    ASSERT_EQ(link.has_value(), c.parses) << error;
    if (!c.parses) continue;
    EXPECT_EQ(link->IdListPath, c.idListPath);
    EXPECT_EQ(link->LocalTargetPath(), c.localTarget);
    EXPECT_EQ(link->NetworkTargetPath(), c.networkTarget);
    EXPECT_EQ(link->EnvironmentTarget, c.environment);
    EXPECT_EQ(link->RelativePath, c.relative);
    EXPECT_EQ(link->WorkingDir, c.workingDir);
    EXPECT_EQ(c.argumentsArePrefix ? link->Arguments.substr(0, c.arguments.size()) : link->Arguments, c.arguments);
    EXPECT_EQ(link->ShowCommand, c.showCommand);
  }
}

TEST(ShellLinkFormat, SampleDetails) {
  auto parse = [](const std::string& file) {
    std::optional<TShellLinkFile> link = ParseShellLink(LnkSample(file));
    EXPECT_TRUE(link) << file;
    return link.value_or(TShellLinkFile{});
  };

  TShellLinkFile vista = parse("ez-lnk/WinVista_Windows Update.lnk");
  EXPECT_EQ(vista.VolumeLabel, L"TestOS");
  EXPECT_EQ(vista.DriveType, 3u);
  EXPECT_TRUE(vista.Has(kLinkHasExpString));

  TShellLinkFile seven = parse("ez-lnk/Misc_local.directory.seven.test");
  EXPECT_EQ(seven.DriveSerialNumber, 0x502E1A8Au);
  EXPECT_EQ(seven.VolumeLabel, L"SSD-WIN7");
  EXPECT_EQ(seven.FileAttributes & 0x10, 0x10u);

  TShellLinkFile photos = parse("ez-lnk/Win8.1_PhotosApp.lnk");
  EXPECT_EQ(photos.IconLocation, L"%windir%\\FileManager\\PhotosApp.exe");
  EXPECT_TRUE(photos.Has(kLinkForceNoLinkInfo));
  EXPECT_TRUE(photos.Has(kLinkPreferEnvironmentPath));

  TShellLinkFile darwin = parse("ez-lnk/Misc_local.file.darwin.test");
  EXPECT_TRUE(darwin.Has(kLinkHasDarwinId));
  EXPECT_TRUE(darwin.HasDarwinBlock);
  EXPECT_NE(darwin.DarwinId.find(L"ReaderProgramFiles"), std::wstring::npos);

  TShellLinkFile remote = parse("ez-lnk/Misc_remote.file.xp.test");
  EXPECT_EQ(remote.NetworkProviderType, 0x00020000u);  // WNNC_NET_LANMAN

  TShellLinkFile nero = parse("plaso/NeroInfoTool.lnk");
  EXPECT_EQ(nero.Name.size(), 236u);
  EXPECT_EQ(nero.IconEnvironmentTarget, L"%ProgramFiles%\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe");

  TShellLinkFile example = parse("plaso/example.lnk");
  EXPECT_EQ(example.Name, L"@%windir%\\system32\\migwiz\\wet.dll,-590");

  TShellLinkFile unicodeNet = parse("ez-lnk/Misc_unicodeNetworkPath.lnk.test");
  EXPECT_EQ(unicodeNet.NetName, L"\\\\\u0793\\C");  // not the ANSI "\\?\C"

  TShellLinkFile network = parse("lnkparse3/network_info.b64");
  EXPECT_EQ(network.DeviceName, L"Z:");

  TShellLinkFile unknownBlock = parse("lnkparse3/unknown_block.b64");
  EXPECT_EQ(unknownBlock.IconLocation, L"%SystemRoot%\\System32\\shell32.dll");
}

// WORKING_DIR claims 1693 characters, but Windows reads 260 and the arguments follow
// them: a reader that trusts the count would hide the dropper's command line.
TEST(ShellLinkFormat, CappedStringsAreReadAsWindowsReadsThem) {
  std::optional<TShellLinkFile> link = ParseShellLink(LnkSample("lnkparse3/padded_cli_arguments.b64"));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->WorkingDir.size(), 259u);
  EXPECT_EQ(link->WorkingDir.rfind(L"C:\\Windows\\System32 ", 0), 0u);
  EXPECT_EQ(link->Arguments.size(), 1431u);
  EXPECT_EQ(link->Arguments.rfind(L"/c \"set PATH=%windir%\\system32;%PATH% &", 0), 0u);
  EXPECT_EQ(link->IconLocation, L"C:\\Windows\\System32\\shell32.dll");

  // The same on a file of our own: a description of 260 characters whose count
  // claims 1000. Windows keeps 259 of them and reads the arguments right after.
  std::wstring description(260, L'd');
  std::string bytes = test::ShortcutBuilder(L"e:\\x.exe").Description(description).Arguments(L"/c calc").Build();
  size_t count = bytes.find(std::string("d\0d\0d\0d\0", 8)) - 2;
  ASSERT_EQ(bytes[count], '\x04');  // 260 = 0x104
  bytes[count] = '\xE8';
  bytes[count + 1] = '\x03';
  std::optional<TShellLinkFile> self = ParseShellLink(bytes);
  ASSERT_TRUE(self);
  EXPECT_EQ(self->Name, std::wstring(259, L'd'));
  EXPECT_EQ(self->Arguments, L"/c calc");
}

// A file cut anywhere is an error, except where what is left is itself a whole
// shortcut that only lacks trailing extra data blocks (Windows loads those).
TEST(ShellLinkFormat, TruncationAtEveryOffsetFailsCleanly) {
  for (const std::string& file :
       {std::string("ez-lnk/WinVista_Windows Update.lnk"), std::string("ez-lnk/Misc_unicodeNetworkPath.lnk.test"),
        std::string("plaso/NeroInfoTool.lnk"), std::string("lnkparse3/sample13.b64"),
        std::string("lnkparse3/network_info.b64")}) {
    SCOPED_TRACE(file);
    std::string bytes = LnkSample(file);
    std::optional<TShellLinkFile> whole = ParseShellLink(bytes);
    ASSERT_TRUE(whole);
    int accepted = 0;
    for (size_t n = 0; n < bytes.size(); ++n) {
      std::string error;
      std::optional<TShellLinkFile> cut = ParseShellLink(std::string_view(bytes).substr(0, n), &error);
      if (!cut) {
        EXPECT_FALSE(error.empty());
        continue;
      }
      ++accepted;
      EXPECT_EQ(cut->Size, n);
      EXPECT_EQ(cut->IdListPath, whole->IdListPath);
      EXPECT_EQ(cut->LocalTargetPath(), whole->LocalTargetPath());
      EXPECT_EQ(cut->NetworkTargetPath(), whole->NetworkTargetPath());
      EXPECT_EQ(cut->Arguments, whole->Arguments);
      EXPECT_EQ(cut->IconLocation, whole->IconLocation);
    }
    EXPECT_LE(accepted, 6);
  }
}

// Every byte of a few samples overwritten with values that break sizes and offsets:
// the reader must answer, never read outside the buffer (run under the sanitizers).
TEST(ShellLinkFormat, CorruptedBytesNeverCrash) {
  for (const std::string& file : {std::string("ez-lnk/Misc_remote.file.xp.test"), std::string("plaso/NeroInfoTool.lnk"),
                                  std::string("lnkparse3/unknown_block.b64")}) {
    std::string original = LnkSample(file);
    for (size_t i = 0; i < original.size(); ++i) {
      for (char value : {'\x00', '\x01', '\x7F', '\xFF'}) {
        std::string bytes = original;
        bytes[i] = value;
        std::optional<TShellLinkFile> link = ParseShellLink(bytes);
        if (link) {
          EXPECT_LE(link->Size, bytes.size());
        }
      }
    }
  }
}

TEST(ShellLinkFormat, HostileStructuresAreErrors) {
  const std::string good = test::ShortcutBuilder(L"e:\\dir\\x.exe")
                               .IdList(L"e:\\dir\\x.exe")
                               .Arguments(L"/c x")
                               .EnvironmentTarget(L"%TEMP%\\x.exe")
                               .Build();
  ASSERT_TRUE(ParseShellLink(good));
  const size_t idList = 0x4C;
  const size_t idListSize = static_cast<unsigned char>(good[idList]) | static_cast<unsigned char>(good[idList + 1])
                                                                           << 8;
  const size_t linkInfo = idList + 2 + idListSize;
  const size_t strings = linkInfo + static_cast<unsigned char>(good[linkInfo]);
  auto patched = [&](size_t at, std::initializer_list<unsigned char> bytes) {
    std::string copy = good;
    for (unsigned char b : bytes) copy[at++] = static_cast<char>(b);
    return copy;
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::vector<Case> cases = {
      {"empty file", ""},
      {"header size", patched(0, {0x4D})},
      {"class id", patched(4, {0x02})},
      {"ID list size past the end", patched(idList, {0xFF, 0xFF})},
      {"item size past its list", patched(idList + 2, {0xF0, 0x00})},
      {"item size of one byte", patched(idList + 2, {0x01, 0x00})},
      {"LinkInfo size past the end", patched(linkInfo, {0xFF, 0xFF, 0x00, 0x00})},
      {"LinkInfo size below its header", patched(linkInfo, {0x10, 0x00, 0x00, 0x00})},
      {"LinkInfo header larger than LinkInfo", patched(linkInfo + 4, {0xFF, 0x00, 0x00, 0x00})},
      {"VolumeID offset past LinkInfo", patched(linkInfo + 12, {0xFF, 0xFF, 0x00, 0x00})},
      {"local path offset past LinkInfo", patched(linkInfo + 16, {0xFF, 0xFF, 0x00, 0x00})},
      {"suffix offset past LinkInfo", patched(linkInfo + 24, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"VolumeID size too small", patched(linkInfo + 0x1C, {0x08, 0x00, 0x00, 0x00})},
      {"string count past the end", patched(strings, {0xFF, 0x7F})},
      {"extra block size past the end", patched(good.size() - 0x318, {0x00, 0x10, 0x00, 0x00})},
      {"extra block size below a header", patched(good.size() - 0x318, {0x06, 0x00, 0x00, 0x00})},
      {"environment block too small", patched(good.size() - 0x318, {0x10, 0x00, 0x00, 0x00})},
      {"terminal block cut short", good.substr(0, good.size() - 2)},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseShellLink(c.bytes, &error)) << c.what;
  }
}

// The shell items' contents belong to the Shell: an item that cannot be read as a
// path leaves the ID list without a path, the rest of the file still counts.
TEST(ShellLinkFormat, UnreadableItemsOnlyLoseTheIdListPath) {
  std::string bytes = test::ShortcutBuilder(L"e:\\dir\\x.exe").IdList(L"e:\\dir\\x.exe").Arguments(L"/b").Build();
  std::optional<TShellLinkFile> link = ParseShellLink(bytes);
  ASSERT_TRUE(link);
  ASSERT_EQ(link->IdListPath, L"e:\\dir\\x.exe");
  // The drive item is the second item: make it name no drive.
  size_t driveItem = 0x4C + 2 + 0x14;
  bytes[driveItem + 3] = '?';
  link = ParseShellLink(bytes);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->IdListPath, L"");
  EXPECT_EQ(link->LocalTargetPath(), L"e:\\dir\\x.exe");
  EXPECT_EQ(link->Arguments, L"/b");
}

// Wine writes the file entry extension with version and signature left zero; its
// long names are still the names of the path (the short names are only "?" there
// when a name leaves the ANSI code page).
TEST(ShellLinkFormat, ReadsTheLongNamesOfWineWrittenItems) {
  const std::wstring path = L"c:\\\u0414\u0438\u043C\u0430\\\u8BF4\u660E.txt";
  std::string bytes = test::ShortcutBuilder().IdList(path).Build();
  const std::string beef("\x03\x00\x04\x00\xEF\xBE", 6);
  std::string wine = bytes;
  for (size_t at = wine.find(beef); at != std::string::npos; at = wine.find(beef, at)) {
    wine.replace(at, beef.size(), std::string(6, '\0'));
  }
  ASSERT_NE(wine, bytes);
  std::optional<TShellLinkFile> link = ParseShellLink(wine);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->IdListPath, path);

  // A zeroed block that does not run to the end of its item is no such block.
  std::string shortBlock = test::ShortcutBuilder().IdList(L"c:\\\u0414.txt").Build();
  size_t at = shortBlock.find(beef);
  ASSERT_NE(at, std::string::npos);
  shortBlock.replace(at, beef.size(), std::string(6, '\0'));
  shortBlock[at - 2] = static_cast<char>(shortBlock[at - 2] - 2);  // the block's size
  link = ParseShellLink(shortBlock);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->IdListPath, L"c:\\?.txt");
}

}  // namespace
}  // namespace dw
