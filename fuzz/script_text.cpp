// Fuzzes the script language end to end: runs the input as a script text. Inputs of odd length run
// quietly (errors counted, a failed run returns nil), the others report their errors.
#include <cstddef>
#include <cstdint>

#include "ScriptRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;  // room for nesting past the depth limit and long operator chains
  const uint32_t flags = PM::kParseCountLines | (size % 2 ? PM::kParseQuiet : 0u);
  PM::Fuzz::RunScriptInput([&](PM::Obj<PM::ScriptEngine>& engine) {
    PM::Parser::ParseText(engine, PM::String(reinterpret_cast<const char*>(data), int(size)), PM::String("fuzz"),
                          flags);
  });
  return 0;
}
