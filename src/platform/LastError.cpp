#include "platform/LastError.h"

#include <cerrno>
#include <cstring>

namespace PM {

namespace {
thread_local uint32_t t_lastError = 0;
}

uint32_t GetLastErrorCode() { return t_lastError; }
void SetLastErrorCode(uint32_t code) { t_lastError = code; }

uint32_t SetLastErrorFromErrno() {
  t_lastError = uint32_t(errno);
  return t_lastError;
}

std::string ErrorText(uint32_t code) {
  if (code == 0) return {};
  char buffer[256];
  // The GNU strerror_r may return a static text instead of filling the buffer.
  const char* text = strerror_r(int(code), buffer, sizeof buffer);
  return text ? std::string(text) : std::string();
}

}  // namespace PM
