#include <cstdio>

#include "platform/Caught.h"

namespace dw {

void WriteDebugLine(const std::string& line) noexcept { std::fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace dw
