// GetLastError for the POSIX backend: one Win32 error code per thread, set from
// errno where a call fails.
#pragma once

#include <cstdint>
#include <string>

namespace dw::posix {

void SetLastErrorCode(uint32_t code);
uint32_t LastErrorCode();

// The Win32 code for an errno value (ENOENT gives ERROR_FILE_NOT_FOUND).
uint32_t ErrorFromErrno(int error);
// Sets the code for a failed call on unixPath: a missing entry is "file not found"
// when its folder exists and "path not found" otherwise, as Windows tells them apart.
void SetErrorForPath(int error, const std::string& unixPath);

}  // namespace dw::posix
