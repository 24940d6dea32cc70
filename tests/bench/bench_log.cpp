// The log page on a log of 100,000 entries: reading the file's end, parsing it in
// one pass and filling the page's list must stay well under a second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/Text.h"
#include "platform/Platform.h"
#include "state/LogReader.h"
#include "state/SharedState.h"
#include "state/logfile.h"
#include "ui/main.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 100000;

// A data folder whose log holds kEntries entries of the usual kinds and lengths.
std::wstring BuildDataFolder() {
  const fs::path folder = fs::temp_directory_path() / "dw-bench-log";
  fs::remove_all(folder);
  fs::create_directories(folder / "log");
  const std::wstring user = dw::Sys().UserName().value_or(L"");
  std::ofstream out(folder / "log" / ("drivewarden_log_" + std::string(user.begin(), user.end()) + ".u.txt"),
                    std::ios::binary);
  const char* const kinds[] = {"Menace/threat", "scan/start", "quarantine/AutoAction", "scan/end"};
  for (int i = 0; i < kEntries; ++i) {
    out << "10/12/2026 14:03:07 " << kinds[i % 4] << " e:\\Mes documents\\dossier " << i << "\\setup;" << i << ".exe;";
  }
  return dw::Utf8ToWide(folder.string()) + L"\\";
}

void BM_ReadLog(benchmark::State& state) {
  const std::wstring data = BuildDataFolder();
  dw::TLogFile log(data);
  size_t rows = 0;
  for (auto _ : state) {
    dw::TLogReading reading = dw::ReadLogNewestFirst(log);
    rows = reading.Entries.size();
    benchmark::DoNotOptimize(reading);
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ReadLog)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ShowLogPage(benchmark::State& state) {
  const std::wstring data = BuildDataFolder();
  dw::State().Log = std::make_unique<dw::TLogFile>(data);
  dw::TPanelfrm panel;
  dw::TComponent& sheet = panel.Component(L"TabSheet7");
  for (auto _ : state) sheet.OnShow(sheet);
  state.counters["rows"] = panel.Component(L"ListView6").RowCount();
  dw::State().Log.reset();
}
BENCHMARK(BM_ShowLogPage)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
