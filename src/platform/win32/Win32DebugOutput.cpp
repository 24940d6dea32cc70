#include "platform/win32/WindowsSupport.h"

#include "common/Text.h"
#include "platform/Caught.h"

namespace dw {

// The debugger's channel: a resident program has no console to write to.
void WriteDebugLine(const std::string& line) noexcept {
  try {
    OutputDebugStringW((Utf8ToWide(line) + L"\n").c_str());
  } catch (...) {
    OutputDebugStringA(line.c_str());
  }
}

}  // namespace dw
