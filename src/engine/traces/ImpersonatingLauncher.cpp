// Launchers named like the drive, a device or a hidden sibling.
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

class TImpersonatingLauncherRule : public ITraceRule {
 public:
  void Inspect(const TFolderView&, TTraceContext&) override {}
};

}  // namespace

std::unique_ptr<ITraceRule> MakeImpersonatingLauncherRule() { return std::make_unique<TImpersonatingLauncherRule>(); }

}  // namespace dw
