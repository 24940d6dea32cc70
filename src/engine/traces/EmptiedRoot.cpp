// The one or two launchers left visible on a root whose user files are hidden.
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

class TEmptiedRootRule : public ITraceRule {
 public:
  void Inspect(const TFolderView&, TTraceContext&) override {}
};

}  // namespace

std::unique_ptr<ITraceRule> MakeEmptiedRootRule() { return std::make_unique<TEmptiedRootRule>(); }

}  // namespace dw
