// Fuzzes the whole script parser: the first byte picks text or compiled input, the rest is the script,
// run quietly in a fresh script engine.
#include <cstdint>
#include <string>

#include "core/Log.h"
#include "core/Module.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    PM::g_LogLevel = 10;
    PM::LogOutPipe() = PM::DiscardPipe();
    return PM::DLLInitialize(1) == 0;
  }();
  if (!started || size == 0) return 0;
  const bool compiled = data[0] & 1;
  ++data;
  --size;
  PM::Obj<PM::ScriptEngine> engine(static_cast<PM::ScriptEngine*>(PM::ScriptEngine::Create()));
  if (compiled) {
    std::string bytes = std::string("BSB\x05", 4) + std::string(reinterpret_cast<const char*>(data), size);
    PM::Parser::ParseMemory(engine, bytes.data(), bytes.size(), PM::String("f.bsb"), PM::kParseQuiet);
  } else {
    PM::String text(reinterpret_cast<const char*>(data), int(size));
    PM::Parser::ParseText(engine, text, PM::String("f.bs"), PM::kParseQuiet | PM::kParseCountLines);
  }
  return 0;
}
