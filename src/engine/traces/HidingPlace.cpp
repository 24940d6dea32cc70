// Invisible folders, fake recycle bins and class-id folders, and what they hide.
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

class THidingPlaceRule : public ITraceRule {
 public:
  void Inspect(const TFolderView&, TTraceContext&) override {}
};

}  // namespace

std::unique_ptr<ITraceRule> MakeHidingPlaceRule() { return std::make_unique<THidingPlaceRule>(); }

}  // namespace dw
