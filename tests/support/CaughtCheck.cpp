#include "support/CaughtCheck.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "platform/Caught.h"

namespace dw::test {

namespace {

std::atomic<size_t> baseline{0};
std::atomic<bool> failed{false};

class TCaughtCheck : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { baseline = CaughtCount(); }
  // A test's failures can no longer be added here: the run's exit status says it.
  void OnTestEnd(const testing::TestInfo& info) override {
    std::vector<std::string> texts = CaughtSince(baseline);
    if (texts.empty()) return;
    failed = true;
    std::fprintf(stderr, "[  CAUGHT  ] %s.%s: %zu exception(s) swallowed without the test taking them:\n",
                 info.test_suite_name(), info.name(), texts.size());
    for (const std::string& text : texts) std::fprintf(stderr, "             %s\n", text.c_str());
  }
};

}  // namespace

std::vector<std::string> TakeCaught() {
  size_t from = baseline.exchange(CaughtCount());
  return CaughtSince(from);
}

testing::TestEventListener* NewCaughtCheck() { return new TCaughtCheck; }

bool CaughtCheckFailed() { return failed.load(); }

}  // namespace dw::test
