// A control-panel set-up for tests: fresh shared state and catalogue, fake
// volumes, recorded notifications and tray steps, and the form itself.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "support/FakeSystem.h"
#include "support/FakeVolumes.h"
#include "support/ScopedProgramState.h"
#include "ui/DriveListing.h"
#include "ui/Systray.h"
#include "ui/main.h"

namespace dw {

// Readable failures for list-view rows (ASCII shown as is, the rest as \u escapes).
inline void PrintTo(const TListRow& row, std::ostream* os) {
  auto put = [os](const std::wstring& text) {
    *os << '"';
    for (wchar_t c : text) {
      if (c >= 0x20 && c < 0x7F) {
        *os << static_cast<char>(c);
      } else {
        *os << "\\u" << std::hex << static_cast<uint32_t>(c) << std::dec;
      }
    }
    *os << '"';
  };
  put(row.Caption);
  for (const std::wstring& sub : row.SubItems) {
    *os << ", ";
    put(sub);
  }
  if (row.Checked) *os << " [ticked]";
}

}  // namespace dw

namespace dw::test {

struct Notification {
  std::wstring title, msg;
  int itype;
  bool operator==(const Notification&) const = default;
};

inline void PrintTo(const Notification& n, std::ostream* os) {
  *os << "{" << WideToUtf8(n.title) << " | " << WideToUtf8(n.msg) << " | " << n.itype << "}";
}

struct TrayStep {
  TTrayOperation operation;
  TTrayIconRecord record;
};

class RecordingTray : public ITrayObserver {
 public:
  void TrayChanged(const TTrayIconRecord& record, TTrayOperation operation) override {
    steps.push_back({operation, record});
  }
  std::vector<TrayStep> steps;
};

// A menu item's entries as the user sees them: caption and tag (a DriveList position).
struct MenuEntry {
  std::wstring caption;
  int tag;
  bool operator==(const MenuEntry&) const = default;
};

inline std::vector<MenuEntry> MenuEntries(const TComponent& item) {
  std::vector<MenuEntry> entries;
  for (const auto& child : item.Children()) entries.push_back({child->Caption(), child->Tag()});
  return entries;
}

class PanelFixture : public ::testing::Test {
 protected:
  PanelFixture() : guard_(Platform{.volumes = &volumes, .system = &system}) {
    SetTrayObserver(&tray);
    SetNotificationSink([this](const std::wstring& title, const std::wstring& msg, int itype) {
      notifications.push_back({title, msg, itype});
    });
    panel = std::make_unique<TPanelfrm>();
  }

  // A drive present on the fake system and in DriveList, as the drive pass makes it.
  PdiskInfo AddDrive(wchar_t letter, const std::wstring& label = L"USBSTICK", FakeVolume volume = {}) {
    volume.info.name = label;
    volumes.Add(letter, volume);
    PdiskInfo record = MakeDiskInfo(letter);
    record->VolName = label;
    record->FileSysName = volume.info.fileSystem;
    State().DriveList.Append(record);
    return record;
  }

  TComponent& C(const wchar_t* name) { return panel->Component(name); }

  // The user picks choice index of a radio group or combo box.
  void Pick(const wchar_t* name, int index) {
    TComponent& c = C(name);
    c.SetItemIndex(index);
    if (c.OnClick) c.OnClick(c);
  }

  ScopedProgramState programState_;
  FakeVolumes volumes;
  FakeSystem system;
  RecordingTray tray;
  std::vector<Notification> notifications;
  std::unique_ptr<TPanelfrm> panel;

 private:
  ScopedPlatform guard_;
};

}  // namespace dw::test
