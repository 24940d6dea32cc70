#include <gtest/gtest.h>

#include "engine/tools.h"
#include "support/DriveFixture.h"
#include "tools_fixture.h"

namespace dw::test {

namespace {

const std::wstring kFrenchNote = L"NB. Ce dossier vous prot\u00e8ge des autoruns des virus.txt";
const std::string kFrenchBytes =
    "DOSSIER CREER PAR LE LOGICIEL DRIVEWARDEN \r\n"
    "Ce dossier vous prot\xe8ge des autoruns des virus\r\n";

}  // namespace

class ToolsProtectionTest : public ToolsFixture {
 protected:
  ToolsProtectionTest() {
    AddDrive(drive.letter());
    root = ToUpper(drive.root());
  }

  // A tool that ends with a notice waits for the window thread, so it is still
  // registered here; one that ends without one may already be gone.
  void Protect(bool endsWithNotice = true) {
    SelectToolDrive(root);
    Click(L"btToolProtectionFolder");
    if (endsWithNotice) {
      EXPECT_EQ(State().WorkThreads.Count(), 1);
    }
    ASSERT_TRUE(WaitForTools());
  }

  Notification Created() const { return {L"Opération réussi", L"Un dossier de protection a été créé sur " + root, 0}; }
  Notification NotCreated() const {
    return {L"Opération échouée", L"Le dossier de protection n'a pas pu être créé sur " + root, 1};
  }

  DriveFixture drive;
  std::wstring root;
};

TEST_F(ToolsProtectionTest, CreatesAHiddenFolderWithItsNoteAndLeavesItAloneTheSecondTime) {
  Protect();

  const uint32_t folder = drive.Attributes(L"AUTORUN.INF");
  ASSERT_NE(folder, kInvalidAttributes);
  EXPECT_EQ(folder & (kAttrDirectory | kAttrHidden | kAttrSystem | kAttrReadOnly), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(drive.Names(L"AUTORUN.INF"), std::vector<std::wstring>{kFrenchNote});
  EXPECT_EQ(drive.Read(L"AUTORUN.INF\\" + kFrenchNote), kFrenchBytes);
  EXPECT_EQ(notifications, std::vector<Notification>{Created()});
  EXPECT_FALSE(ElevationRequested());

  // A second run finds the folder and changes nothing, not even an edited note.
  drive.WriteFile(L"AUTORUN.INF\\" + kFrenchNote, "edited");
  Protect();
  EXPECT_EQ(drive.Read(L"AUTORUN.INF\\" + kFrenchNote), "edited");
  EXPECT_EQ(notifications, std::vector<Notification>(2, Created()));
  EXPECT_FALSE(ElevationRequested());
}

TEST_F(ToolsProtectionTest, NoteFollowsTheCatalogueOfTheInterfaceLanguage) {
  MsgProtectionFolderNote = L"NB. This folder protects you from viruses' autoruns";
  MsgProtectionFolderBanner = L"FOLDER CREATED BY %s \u00e9";
  MsgProtectionFolderText = L"This folder protects you from viruses' autoruns";
  Protect();

  const std::wstring note = L"NB. This folder protects you from viruses' autoruns.txt";
  EXPECT_EQ(drive.Names(L"AUTORUN.INF"), std::vector<std::wstring>{note});
  EXPECT_EQ(drive.Read(L"AUTORUN.INF\\" + note),
            "FOLDER CREATED BY DRIVEWARDEN \xe9\r\nThis folder protects you from viruses' autoruns\r\n");
}

// The name is taken: no rights would make room, so no restart is asked for, and
// the notice says what holds the name.
TEST_F(ToolsProtectionTest, AFileNamedAutorunInfKeepsTheFolderFromBeingMadeAndIsNamed) {
  drive.WriteFile(L"autorun.inf", "[autorun]\r\nopen=x.exe\r\n");
  Protect();

  EXPECT_EQ(drive.Attributes(L"autorun.inf") & kAttrDirectory, 0u);
  EXPECT_EQ(drive.Read(L"autorun.inf"), "[autorun]\r\nopen=x.exe\r\n");
  EXPECT_FALSE(ElevationRequested());
  EXPECT_FALSE(State().StopRequested.load());
  EXPECT_EQ(notifications,
            (std::vector<Notification>{{L"Opération échouée", FormatText(MsgProtectionFolderNameTaken, {root}), 1}}));
}

// Only a denied access is worth a restart with administrator rights.
TEST_F(ToolsProtectionTest, ADriveThatDeniesTheFolderAsksForElevation) {
  RefusingFileSystem refusing(Fs());
  refusing.refuseCreateFolder = [](const std::wstring&) { return true; };
  ScopedPlatform guard(Platform{.fs = &refusing});
  Protect();

  EXPECT_FALSE(drive.Exists(L"AUTORUN.INF"));
  EXPECT_TRUE(ElevationRequested());
  EXPECT_EQ(notifications, std::vector<Notification>{NotCreated()});
}

TEST_F(ToolsProtectionTest, AWriteProtectedDriveIsReportedWithoutAskingForElevation) {
  RefusingFileSystem refusing(Fs());
  refusing.refuseCreateFolder = [](const std::wstring&) { return true; };
  refusing.createFolderError = 19;  // the medium is write-protected
  ScopedPlatform guard(Platform{.fs = &refusing});
  Protect();

  EXPECT_FALSE(drive.Exists(L"AUTORUN.INF"));
  EXPECT_FALSE(ElevationRequested());
  EXPECT_EQ(notifications, std::vector<Notification>{NotCreated()});
}

TEST_F(ToolsProtectionTest, ANoteThatCannotBeWrittenEndsTheToolWithoutANotice) {
  RefusingFileSystem refusing(Fs());
  refusing.refuseWriteAll = [](const std::wstring&) { return true; };
  ScopedPlatform guard(Platform{.fs = &refusing});
  Protect(false);

  EXPECT_EQ(drive.Attributes(L"AUTORUN.INF") & (kAttrDirectory | kAttrHidden), kAttrDirectory | kAttrHidden);
  EXPECT_TRUE(drive.Names(L"AUTORUN.INF").empty());
  EXPECT_TRUE(notifications.empty());
  EXPECT_FALSE(ElevationRequested());
}

}  // namespace dw::test
