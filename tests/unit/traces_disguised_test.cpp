// Launchers named like documents, and names whose text direction is turned round
// so that what Explorer shows is not the extension that runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

namespace dw::test {

namespace {

const std::string kProgram = "MZ" + std::string(62, '\0');

struct NameCase {
  const char* name;
  std::wstring entry;  // made on the root
  bool folder;
  uint32_t attributes;
  Why why;  // Why::None: no finding
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

// This rule's findings: relative path and reason; every one is a threat.
std::vector<std::pair<std::wstring, Why>> DisguisedFindings(const DriveFixture& d) {
  std::vector<std::pair<std::wstring, Why>> found;
  for (const std::wstring& path : State().ThreatList.Snapshot()) {
    TFindingWhy why = State().FindingReasons.Get(path).value_or(TFindingWhy{});
    if (RuleId(why.why) == "disguised-name") found.push_back({PlainPath(path).substr(d.root().size()), why.why});
  }
  for (const std::wstring& path : State().RiskList.Snapshot()) {
    TFindingWhy why = State().FindingReasons.Get(path).value_or(TFindingWhy{});
    EXPECT_NE(RuleId(why.why), "disguised-name") << "listed as suspicious: " << WideToUtf8(path);
  }
  std::sort(found.begin(), found.end());
  return found;
}

class DisguisedNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(DisguisedNames, AreThreatsWhenTheNameHidesWhatRuns) {
  const NameCase& c = GetParam();
  DriveFixture drive;
  ScanHarness h;
  // The user's own files beside it are never findings.
  drive.WriteFile(L"Report.pdf", "%PDF-1.7\n");
  drive.WriteFile(L"setup-2.1.exe", kProgram);
  if (c.folder) {
    drive.MakeFolder(c.entry, c.attributes);
  } else {
    drive.WriteFile(c.entry, kProgram, c.attributes);
  }

  h.Scan(h.Drive(drive));

  std::vector<std::pair<std::wstring, Why>> expected;
  if (c.why != Why::None) expected.push_back({c.entry, c.why});
  EXPECT_EQ(DisguisedFindings(drive), expected);
  EXPECT_TRUE(h.view.errors.empty());
}

// clang-format off
const NameCase kNameCases[] = {
    {"PictureThatIsAProgram", L"photos.jpg.exe", false, 0, Why::DoubleExtension},
    {"LetterCaseAside", L"Invoice.PDF.Scr", false, 0, Why::DoubleExtension},
    {"BlankBeforeTheExtension", L"Report.pdf .exe", false, 0, Why::DoubleExtension},
    {"WideBlanksBeforeTheExtension", L"Report.pdf\u00A0\u2003.exe", false, 0, Why::DoubleExtension},
    {"DotsBeforeTheExtension", L"Report.docx...exe", false, 0, Why::DoubleExtension},
    {"ScriptNamedLikeMusic", L"song.mp3.vbs", false, 0, Why::DoubleExtension},
    {"BatchNamedLikeText", L"summary.txt.bat", false, 0, Why::DoubleExtension},
    {"ReadOnlyStillShows", L"cv.docx.exe", false, kAttrReadOnly, Why::DoubleExtension},
    {"HiddenProgramIsNoLure", L"photos.jpg.exe", false, kAttrHidden, Why::None},
    {"UsersShortcutToADocument", L"Report.docx.lnk", false, 0, Why::None},
    {"VersionNumbers", L"vlc-3.0.20-win64.exe", false, 0, Why::None},
    {"ProgramWithADottedName", L"setup.x64.exe", false, 0, Why::None},
    {"DocumentWithTwoExtensions", L"backup.tar.gz", false, 0, Why::None},
    {"FolderNamedLikeAProgram", L"photos.jpg.exe", true, 0, Why::None},
    {"RightToLeftOverride", L"Photo\u202Egpj.exe", false, 0, Why::BidiName},
    {"RightToLeftOverrideOnAShortcut", L"Photo\u202Egpj.lnk", false, 0, Why::BidiName},
    {"OverrideInAFolderName", L"Docs\u202Efdp", true, 0, Why::BidiName},
    {"IsolateInAHiddenFile", L"a\u2067b.txt", false, kAttrHidden, Why::BidiName},
    {"EmbeddingInADocumentName", L"\u202Areport\u202C.docx", false, 0, Why::BidiName},
    {"RightToLeftMarkInAProgram", L"setup\u200F.exe", false, 0, Why::BidiName},
    {"LeftToRightMarkInAShortcut", L"x\u200E.lnk", false, 0, Why::BidiName},
    {"RightToLeftMarkInAHebrewDocument", L"\u05D3\u05D5\u05D7\u200F.docx", false, 0, Why::None},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Names, DisguisedNames, ::testing::ValuesIn(kNameCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(DisguisedNamesBelowTheRoot, AreFoundByAThoroughScan) {
  for (bool thorough : {false, true}) {
    DriveFixture drive;
    ScanHarness h;
    drive.MakeFolder(L"Holidays");
    drive.WriteFile(L"Holidays\\beach.jpg.exe", kProgram);
    drive.WriteFile(L"Holidays\\Photo\u202Egpj.scr", kProgram);

    h.Scan(h.Drive(drive), thorough);

    std::vector<std::pair<std::wstring, Why>> expected;
    if (thorough) {
      expected = {{L"Holidays\\Photo\u202Egpj.scr", Why::BidiName}, {L"Holidays\\beach.jpg.exe", Why::DoubleExtension}};
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DisguisedFindings(drive), expected) << (thorough ? "thorough" : "quick");
  }
}

}  // namespace

}  // namespace dw::test
