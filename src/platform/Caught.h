// The one way to end an exception where nothing may unwind further (a worker's
// end, a window procedure, a posted call): what was caught is recorded, never
// swallowed without a trace.
#pragma once

#include <string>
#include <vector>

namespace dw {

// Call inside a catch block. Writes "Drivewarden: <where>: <what>" to the debugger
// output on Windows and to stderr elsewhere, and keeps it for CaughtSince.
void RecordCaught(const char* where) noexcept;

// How many exceptions RecordCaught has seen in this process.
size_t CaughtCount() noexcept;
// The texts of those recorded after the first `count` (tests check that a run stayed silent).
std::vector<std::string> CaughtSince(size_t count);

// The backend's debug channel (OutputDebugStringW, or stderr).
void WriteDebugLine(const std::string& line) noexcept;

}  // namespace dw
