// LogMsg: the error report. It logs a severity word, the code with its name, a description with
// "#1".."#8" filled from tagged arguments, the location and the function, shows the message dialog
// unless told not to, and returns the code.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/ResultCode.h"
#include "core/String.h"

namespace PM {

// Argument tags. 2, 8 and 0xE are the callers'; the others follow the numbering of the same family.
enum LogArgTag : uint32_t {
  kArgNone = 0,
  kArgInt = 2,         // signed integer, decimal
  kArgFloat = 4,       // float, 7 significant digits
  kArgString = 8,      // String or C text
  kArgResult = 0xA,    // result code: 8 hex digits and its name
  kArgOSError = 0xE,   // operating-system error number with the system's text
  kArgUnsigned = 0x13  // unsigned integer, decimal
};

// Mode bit: log only, no dialog.
constexpr uint32_t kLogMsgNoDialog = 0x10;

// A tagged argument. Text arguments point at the caller's characters for the length of the call.
struct LogArg {
  uint32_t tag = kArgNone;
  int64_t i = 0;
  uint64_t u = 0;
  float f = 0;
  const char* text = nullptr;
  int length = 0;

  LogArg() = default;
  LogArg(int v) : tag(kArgInt), i(v) {}                      // NOLINT: implicit, so values pass as they are
  LogArg(long v) : tag(kArgInt), i(v) {}                     // NOLINT
  LogArg(long long v) : tag(kArgInt), i(v) {}                // NOLINT
  LogArg(unsigned v) : tag(kArgUnsigned), u(v) {}            // NOLINT
  LogArg(unsigned long v) : tag(kArgUnsigned), u(v) {}       // NOLINT
  LogArg(unsigned long long v) : tag(kArgUnsigned), u(v) {}  // NOLINT
  LogArg(double v) : tag(kArgFloat), f(float(v)) {}          // NOLINT
  LogArg(const String& s) : tag(kArgString), text(s.CStr()), length(s.Length()) {}                    // NOLINT
  LogArg(const char* s) : tag(kArgString), text(s ? s : "(NULL)"), length(int(std::strlen(text))) {}  // NOLINT
  static LogArg Result(ResultCode code) {
    LogArg a;
    a.tag = kArgResult;
    a.u = code;
    return a;
  }
  static LogArg OSError(int error) {
    LogArg a;
    a.tag = kArgOSError;
    a.i = error;
    return a;
  }
};

// The general form over an argument array (at most 8 are used).
ResultCode LogMsgV(ResultCode code, const char* location, const char* function, uint32_t mode, const char* description,
                   const LogArg* args, int count);

template <class... A>
ResultCode LogMsg(ResultCode code, const char* location, const char* function, uint32_t mode, const char* description,
                  const A&... args) {
  static_assert(sizeof...(A) <= 8, "LogMsg takes at most 8 arguments");
  const LogArg list[] = {LogArg(args)..., LogArg()};
  return LogMsgV(code, location, function, mode, description, list, int(sizeof...(A)));
}

inline ResultCode LogMsgText(ResultCode code, const char* location, const char* function, uint32_t mode,
                             const char* description) {
  return LogMsgV(code, location, function, mode, description, nullptr, 0);
}
inline ResultCode LogMsgArg1(ResultCode code, const char* location, const char* function, uint32_t mode,
                             const char* description, const LogArg& a1) {
  return LogMsgV(code, location, function, mode, description, &a1, 1);
}
inline ResultCode LogMsgArg2(ResultCode code, const char* location, const char* function, uint32_t mode,
                             const char* description, const LogArg& a1, const LogArg& a2) {
  const LogArg list[] = {a1, a2};
  return LogMsgV(code, location, function, mode, description, list, 2);
}
inline ResultCode LogMsgBare(ResultCode code, const char* location, const char* function, uint32_t mode) {
  return LogMsgV(code, location, function, mode, nullptr, nullptr, 0);
}

}  // namespace PM
