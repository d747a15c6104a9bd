// Result codes: 32-bit values that operations report; the top two bits give the severity
// (00 success, 01 information, 10 error, 11 warning). Subsystems add named codes through a registry
// that gives each name a stable value and keeps the name for reports.
#pragma once

#include <cstdint>

namespace PM {

using ResultCode = uint32_t;

constexpr ResultCode SOK = 0;
constexpr ResultCode EUnknown = 0x80000000;
constexpr ResultCode EUnimplemented = 0x80000001;
constexpr ResultCode EOutOfMemory = 0x80000002;
constexpr ResultCode EInvalidArgument = 0x80000003;
constexpr ResultCode EAbort = 0x80000007;
constexpr ResultCode EFail = 0x80000008;
constexpr ResultCode EAccessDenied = 0x80000009;
constexpr ResultCode ENotFound = 0x8000000A;
constexpr ResultCode ENotOpen = 0x8000000B;
constexpr ResultCode ENotActive = 0x8000000C;
constexpr ResultCode EAmbiguous = 0x8000000D;
constexpr ResultCode EOverflow = 0x8000000E;
constexpr ResultCode EUnderflow = 0x8000000F;
constexpr ResultCode EInvalidRefCount = 0x80000010;
constexpr ResultCode EResourceBusy = 0x80000011;
constexpr ResultCode ETimeOut = 0x80000012;
constexpr ResultCode IPerformance = 0x40000001;
constexpr ResultCode IUnsupported = 0x40000002;

inline bool Failed(ResultCode c) { return (c & 0x80000000u) != 0; }
inline bool Succeeded(ResultCode c) { return !Failed(c); }

// The code's name: a given code's, a registered code's, or "E???".
const char* ResultCodeName(ResultCode code);
// The severity word of the code's top two bits: "Success", "Info", "Error" or "Warning".
const char* ResultSeverityWord(ResultCode code);

// A named error code of a subsystem. The value depends only on the name (0xA0000000 plus 28 bits of its
// hash), so it is the same in every run; a name registered again gets its first value. `name` must live
// for the whole process (a literal).
ResultCode RegisterResultCode(const char* name);

// Names a code whose value is fixed elsewhere (a system interface's error codes), so that reports show
// its name. A code that has a name already keeps it. `name` must live for the whole process (a literal).
void NameResultCode(ResultCode code, const char* name);

}  // namespace PM
