// Fuzzes the script language end to end: runs the input as a compiled script (header included) in a freshly started
// library, so definitions of one input never reach the next. Quiet runs: errors are counted, not printed.
#include <cstddef>
#include <cstdint>

#if __has_include("script/lang/Parser.h")
#include "core/Log.h"
#include "core/Module.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;  // long inputs only slow the search down
  PM::g_LogLevel = PM::kLevelFatal;
  PM::DLLInitialize(1);
  {
    PM::Obj<PM::ScriptEngine> engine(static_cast<PM::ScriptEngine*>(PM::ScriptEngine::Create()));
    PM::Parser::ParseMemory(engine, data, size, PM::String("fuzz"), PM::kParseQuiet);
  }
  PM::DLLDeInitialize(1);
  return 0;
}
#else
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }  // the parser is not built yet
#endif
