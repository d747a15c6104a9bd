// The calling thread's last error code, set by the platform services when they fail, and its text.
// Codes are the system's errno values; 0 means no error.
#pragma once

#include <cstdint>
#include <string>

namespace PM {

uint32_t GetLastErrorCode();
void SetLastErrorCode(uint32_t code);
// Sets the last error from errno and returns it.
uint32_t SetLastErrorFromErrno();

// The system's message for a code ("No such file or directory"); empty for 0.
std::string ErrorText(uint32_t code);

}  // namespace PM
