#include "core/ResultCode.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace PM {

namespace {
struct CodeName {
  ResultCode code;
  const char* name;
};

constexpr CodeName kGivenCodes[] = {
    {SOK, "SOK"},
    {EUnknown, "EUnknown"},
    {EUnimplemented, "EUnimplemented"},
    {EOutOfMemory, "EOutOfMemory"},
    {EInvalidArgument, "EInvalidArgument"},
    {EAbort, "EAbort"},
    {EFail, "EFail"},
    {EAccessDenied, "EAccessDenied"},
    {ENotFound, "ENotFound"},
    {ENotOpen, "ENotOpen"},
    {ENotActive, "ENotActive"},
    {EAmbiguous, "EAmbiguous"},
    {EOverflow, "EOverflow"},
    {EUnderflow, "EUnderflow"},
    {EInvalidRefCount, "EInvalidRefCount"},
    {EResourceBusy, "EResourceBusy"},
    {ETimeOut, "ETimeOut"},
    {IPerformance, "IPerformance"},
    {IUnsupported, "IUnsupported"},
};

constexpr ResultCode kNamedBase = 0xA0000000;
constexpr ResultCode kNamedMask = 0x0FFFFFFF;

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}
std::vector<CodeName>& Registry() {
  static std::vector<CodeName> r;
  return r;
}

// FNV-1a: fixed for all time, since the values end up in logs and callers' tables.
uint32_t NameHash32(const char* s) {
  uint32_t h = 2166136261u;
  for (; *s; ++s) h = (h ^ uint8_t(*s)) * 16777619u;
  return h;
}
}  // namespace

const char* ResultCodeName(ResultCode code) {
  for (const CodeName& c : kGivenCodes)
    if (c.code == code) return c.name;
  std::lock_guard<std::mutex> g(RegistryLock());
  for (const CodeName& c : Registry())
    if (c.code == code) return c.name;
  return "E???";
}

const char* ResultSeverityWord(ResultCode code) {
  static const char* const kWords[] = {"Success", "Info", "Error", "Warning"};
  return kWords[code >> 30];
}

void NameResultCode(ResultCode code, const char* name) {
  for (const CodeName& c : kGivenCodes)
    if (c.code == code) return;
  std::lock_guard<std::mutex> g(RegistryLock());
  std::vector<CodeName>& r = Registry();
  for (const CodeName& c : r)
    if (c.code == code) return;
  r.push_back({code, name});
}

ResultCode RegisterResultCode(const char* name) {
  std::lock_guard<std::mutex> g(RegistryLock());
  std::vector<CodeName>& r = Registry();
  for (const CodeName& c : r)
    if (std::strcmp(c.name, name) == 0) return c.code;
  // Two names with one hash: the later takes the next free value, so both stay distinct.
  ResultCode code = kNamedBase | (NameHash32(name) & kNamedMask);
  for (bool taken = true; taken;) {
    taken = false;
    for (const CodeName& c : r)
      if (c.code == code) {
        code = kNamedBase | ((code + 1) & kNamedMask);
        taken = true;
      }
  }
  r.push_back({code, name});
  return code;
}

}  // namespace PM
