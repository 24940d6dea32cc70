#include "support/ScanHarness.h"

#include "loc/LangLocStrings.h"
#include "state/Notify.h"
#include "state/logfile.h"

namespace dw::test {

ScanHarness::ScanHarness() {
  guard_ =
      std::make_unique<ScopedPlatform>(Platform{.volumes = &volumes, .system = &system, .mainThread = &mainThread});
  State().DataFolder = data.path();
  State().Log = std::make_unique<TLogFile>(data.path());
  SetScanView(&view);
  SetNotificationSink([this](const std::wstring& title, const std::wstring& msg, int itype) {
    notices.push_back({title, msg, itype});
  });
}

ScanHarness::~ScanHarness() {
  // The log closes before its folder goes.
  State().Log.reset();
}

PdiskInfo ScanHarness::Drive(const DriveFixture& fixture) {
  PdiskInfo drive = MakeDiskInfo(fixture.root()[0]);
  drive->VolName = L"USBSTICK";
  drive->FileSysName = L"FAT32";
  volumes.Add(fixture.root()[0]);
  return drive;
}

int ScanHarness::Scan(const PdiskInfo& drive, bool thorough) {
  view.finished = false;
  view.lastCount = -1;
  StartWorker(new TScanThread(thorough, true, drive), &State().WorkThreads);
  mainThread.PumpUntil([&] { return view.finished && State().WorkThreads.Count() == 0; });
  return view.lastCount;
}

std::vector<std::wstring> LogEntries(FakeSystem& system) {
  std::vector<std::wstring> entries;
  std::optional<std::string> bytes = Fs().ReadAll(State().Log->FileName());
  if (!bytes) return entries;
  std::wstring text = system.FromAnsi(*bytes);
  const std::wstring prefix = system.dateTime + L" ";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(L';', pos);
    if (end == std::wstring::npos) end = text.size();
    std::wstring entry = text.substr(pos, end - pos);
    if (entry.rfind(prefix, 0) == 0) entry = entry.substr(prefix.size());
    entries.push_back(entry);
    pos = end + 1;
  }
  return entries;
}

}  // namespace dw::test
