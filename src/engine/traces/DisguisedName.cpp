// Programs named like documents, and names with text-direction controls.
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

class TDisguisedNameRule : public ITraceRule {
 public:
  void Inspect(const TFolderView&, TTraceContext&) override {}
};

}  // namespace

std::unique_ptr<ITraceRule> MakeDisguisedNameRule() { return std::make_unique<TDisguisedNameRule>(); }

}  // namespace dw
