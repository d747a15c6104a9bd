// The global function table: 1024 entries of (function, name) indexed by function id, the function-name
// hash scripts call through, and the built-in functions.
#pragma once

#include <cstdint>
#include <string>

#include "core/Obj.h"

namespace PM {

class ScriptObject;

constexpr uint32_t kGlobalFunctionCount = 1024;
// Namespace functions take ids from here on; the ids below are the built-in and host functions'.
constexpr uint32_t kFirstRuntimeFunction = 256;
constexpr uint32_t kFunctionSqrt = 6;

// A call: (function id, argument count, arguments) -> a counted reference to the boxed result, nil for
// none or on failure. The arguments are borrowed for the call.
using GlobalFunctionFn = Obj<ScriptObject> (*)(uint32_t functionId, int32_t argc, ScriptObject** argv);

// Fills entry `id` (1..1023). A bad id, an empty name, a null function or a taken entry is logged and
// refused (false). Entries set after the name hash was built are added to it.
bool SetGlobalFunction(uint32_t id, const char* name, GlobalFunctionFn fn);
// The first free entry from kFirstRuntimeFunction on, filled but kept out of the name hash (namespace
// functions are found through their namespace); 0 when the table is full.
uint32_t AllocateFunctionID(const char* name, GlobalFunctionFn fn);
void ClearGlobalFunction(uint32_t id);

// The entry's name, "" for an empty entry or a bad id.
const char* GlobalFunctionName(uint32_t id);
// Calls entry `id`; an empty entry or a bad id is logged and answers nil.
Obj<ScriptObject> CallGlobalFunction(uint32_t id, int32_t argc, ScriptObject** argv);
// Logs that a function was called with arguments it cannot take; under an InvalidArgumentsCatch of the
// calling thread it notes it there instead.
void ReportInvalidArguments(uint32_t id);

// While one lives on the calling thread, a refusal of arguments is the caller's to report (a script call
// names its file and line): ReportInvalidArguments writes nothing and the innermost catch holds it.
class InvalidArgumentsCatch {
 public:
  InvalidArgumentsCatch();
  ~InvalidArgumentsCatch();
  InvalidArgumentsCatch(const InvalidArgumentsCatch&) = delete;
  InvalidArgumentsCatch& operator=(const InvalidArgumentsCatch&) = delete;
  bool Caught() const { return m_caught; }
  // The message ReportInvalidArguments logs, without the log's prefix.
  static std::string Message(uint32_t id);

 private:
  friend void ReportInvalidArguments(uint32_t id);
  InvalidArgumentsCatch* m_outer;
  bool m_caught = false;
};

// The id of a global (built-in or host) function by name: 1..1023, 0 when absent or before the hash
// is built.
uint32_t FindFunctionID(const char* name);

// Start-up and shutdown: the built-in functions (stage 2), the name hash (stage 6).
void RegisterBuiltinFunctions();
void ClearGlobalFunctions();
void BuildFunctionNameHash();
void ClearFunctionNameHash();

}  // namespace PM
