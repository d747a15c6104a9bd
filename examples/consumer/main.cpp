// A program using the installed library: starts it, runs a script whose print output it collects,
// shows that output and shuts the library down. Exit 0, or 1 when the library or the script failed.
#include <cstdio>

#include <pelmora/core/Log.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/ScriptEngine.h>
#include <pelmora/storage/Streams.h>

namespace {

const char kScript[] =
    "var :sum 2 + 3 + 5 + 7;\n"
    "pl 'Hello from a script: the first four primes add up to ' :sum '.';\n";

}  // namespace

int main() {
  using namespace PM;
  g_LogLevel = kLevelNote;  // warnings and errors only
  if (DLLInitialize(0) != 0) {
    std::fputs("pelmora-consumer: the library did not start.\n", stderr);
    return 1;
  }
  int errors = 0;
  size_t size = 0;
  {
    StreamPipeRef printed(NewMemoryStream());
    PrintPipe() = printed;
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    Parser::ParseText(engine, String(kScript), String("consumer"), kParseCountLines, &errors);
    const uint8_t* bytes = MemoryStreamData(printed.Get(), &size);
    std::fwrite(bytes, 1, size, stdout);
    PrintPipe() = LogOutPipe();
  }
  DLLDeInitialize(0);
  return errors || size == 0 ? 1 : 0;
}
