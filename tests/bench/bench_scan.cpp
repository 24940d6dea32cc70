// A thorough scan against a bare walk of the same tree: the scan should cost little
// more than enumerating, and its memory should not grow with the tree.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/xattr.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/rules.h"
#include "engine/scanthread.h"
#include "platform/Platform.h"
#include "platform/QueueMainThread.h"
#include "platform/posix/PosixDrives.h"
#include "state/SharedState.h"

namespace {

namespace fs = std::filesystem;

struct Tree {
  fs::path folder;
  int folders = 0, files = 0;
};

// About 50,000 folders and 100,000 files, three levels deep, with a few
// programs named after hidden folders so that the rules have work to do.
Tree BuildTree() {
  Tree tree;
  tree.folder = fs::temp_directory_path() / "dw-bench-drive";
  fs::remove_all(tree.folder);
  fs::create_directories(tree.folder);
  for (int a = 0; a < 40; ++a) {
    fs::path pa = tree.folder / ("top" + std::to_string(a));
    for (int b = 0; b < 35; ++b) {
      fs::path pb = pa / ("mid" + std::to_string(b));
      for (int c = 0; c < 35; ++c) {
        fs::path pc = pb / ("leaf" + std::to_string(c));
        fs::create_directories(pc);
        tree.folders++;
        for (int f = 0; f < 2; ++f) {
          std::ofstream(pc / ("file" + std::to_string(f) + ".txt")) << "x";
          tree.files++;
        }
      }
      if (b % 7 == 0) {
        setxattr(pb.c_str(), "user.DOSATTRIB", "0x2", 3, 0);
        std::ofstream(pa / ("mid" + std::to_string(b) + ".exe")) << "MZ";
        tree.files++;
      }
      tree.folders++;
    }
    tree.folders++;
  }
  return tree;
}

const Tree& SharedTree() {
  static Tree tree = [] {
    Tree t = BuildTree();
    dw::MapDrive(L'r', t.folder.string());
    std::printf("tree: %d folders, %d files\n", t.folders, t.files);
    return t;
  }();
  return tree;
}

uint64_t BareWalk(const std::wstring& folder) {
  uint64_t entries = 0;
  std::vector<std::wstring> subfolders;
  dw::Fs().Find(folder + L"*", [&](const dw::FindData& e) {
    ++entries;
    if ((e.attributes & dw::kAttrDirectory) && e.name != L"." && e.name != L"..") subfolders.push_back(e.name);
    return true;
  });
  for (const auto& name : subfolders) entries += BareWalk(folder + name + L"\\");
  return entries;
}

void BM_BareWalk(benchmark::State& state) {
  SharedTree();
  for (auto _ : state) benchmark::DoNotOptimize(BareWalk(L"r:\\"));
}

class SilentScan : public dw::TScanThread {
 public:
  SilentScan(dw::PdiskInfo d) : TScanThread(true, true, std::move(d)) {}
  void Execute() override {}
};

void BM_ThoroughScan(benchmark::State& state) {
  SharedTree();
  dw::QueueMainThread mainThread;
  dw::ScopedPlatform guard(dw::Platform{.mainThread = &mainThread});
  dw::PdiskInfo drive = dw::MakeDiskInfo(L'r');
  drive->FileSysName = L"FAT32";
  for (auto _ : state) {
    dw::ResetState();
    SilentScan scan(drive);
    benchmark::DoNotOptimize(dw::ScanDrive(scan, drive, true));
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxrss_MiB"] = usage.ru_maxrss / 1024.0;
}

BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ThoroughScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
