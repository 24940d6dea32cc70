#include "platform/Caught.h"

#include <algorithm>
#include <exception>
#include <mutex>

namespace dw {

namespace {

// Only the latest texts are kept: a loop that fails for ever must not grow memory.
constexpr size_t kKeptTexts = 64;

struct TCaughtRecords {
  std::mutex lock;
  size_t count = 0;
  std::vector<std::string> latest;  // ring of the last kKeptTexts
};

TCaughtRecords& Records() {
  // Never destroyed: workers may still record while the process ends.
  static TCaughtRecords* records = new TCaughtRecords;
  return *records;
}

std::string DescribeCurrent() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "an exception that is no std::exception";
  }
}

}  // namespace

void RecordCaught(const char* where) noexcept {
  try {
    std::string line = std::string("Drivewarden: ") + where + ": " + DescribeCurrent();
    {
      TCaughtRecords& records = Records();
      std::lock_guard<std::mutex> guard(records.lock);
      if (records.latest.size() < kKeptTexts) {
        records.latest.push_back(line);
      } else {
        records.latest[records.count % kKeptTexts] = line;
      }
      ++records.count;
    }
    WriteDebugLine(line);
  } catch (...) {
    // Out of memory while recording: nothing more can be done here.
  }
}

size_t CaughtCount() noexcept {
  TCaughtRecords& records = Records();
  std::lock_guard<std::mutex> guard(records.lock);
  return records.count;
}

std::vector<std::string> CaughtSince(size_t count) {
  TCaughtRecords& records = Records();
  std::lock_guard<std::mutex> guard(records.lock);
  std::vector<std::string> texts;
  size_t first = records.count > kKeptTexts ? records.count - kKeptTexts : 0;
  for (size_t i = std::max(count, first); i < records.count; ++i) {
    texts.push_back(records.latest.size() < kKeptTexts ? records.latest[i] : records.latest[i % kKeptTexts]);
  }
  return texts;
}

}  // namespace dw
