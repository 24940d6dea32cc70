// Shortcuts that hand a file of the drive to cmd, wscript, rundll32 and the like.
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

class TInterpreterShortcutRule : public ITraceRule {
 public:
  void Inspect(const TFolderView&, TTraceContext&) override {}
};

}  // namespace

std::unique_ptr<ITraceRule> MakeInterpreterShortcutRule() { return std::make_unique<TInterpreterShortcutRule>(); }

}  // namespace dw
