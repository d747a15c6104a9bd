// Fuzzes the whole script parser: the first byte picks text or compiled input, the rest is the script,
// run quietly in a fresh script engine.
#include <cstdint>
#include <string>

#include "ScriptRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20) + 1) return 0;
  const bool compiled = data[0] & 1;
  ++data;
  --size;
  PM::Fuzz::RunScriptInput([&](PM::Obj<PM::ScriptEngine>& engine) {
    if (compiled) {
      std::string bytes = std::string("BSB\x05", 4) + std::string(reinterpret_cast<const char*>(data), size);
      PM::Parser::ParseMemory(engine, bytes.data(), bytes.size(), PM::String("f.bsb"), PM::kParseQuiet);
    } else {
      PM::String text(reinterpret_cast<const char*>(data), int(size));
      PM::Parser::ParseText(engine, text, PM::String("f.bs"), PM::kParseQuiet | PM::kParseCountLines);
    }
  });
  return 0;
}
