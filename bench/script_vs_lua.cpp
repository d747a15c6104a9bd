// Throughput of the script language on a 10 MB data script (objects with vector, number, string, array
// and hash members, values written as expressions), as text and compiled, beside Lua 5.4 building the
// same data from table constructors in the same process.
#include <benchmark/benchmark.h>

#include <lua5.4/lua.hpp>

#include <string>

#include "ScriptCompiler.h"
#include "core/StartUp.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "script/object/ScriptNamespace.h"

namespace {

constexpr size_t kDataBytes = 10u << 20;

// One object per generator step, in both languages; the same numbers, names and nesting.
struct Item {
  std::string n, a, b;
};

Item ItemAt(int i) { return {std::to_string(i), std::to_string(i % 97), std::to_string(i % 13)}; }

const std::string& ScriptData() {
  static const std::string s = [] {
    std::string out;
    out.reserve(kDataBytes + 4096);
    for (int i = 0; out.size() < kDataBytes; ++i) {
      Item it = ItemAt(i);
      out += "Item:n" + it.n + ".{ .Pos (" + it.a + ".5, " + it.b + " * 3, -4); .Scale 0.5 + " + it.b + ".25; .Count " +
             it.n + " * 2 + 1; .Name 'node " + it.n + "'; .Weights [1.0, " + it.a +
             ".5, 3.25]; .Props { .kind 'box'; .level " + it.b + "; }; };\n";
    }
    return out;
  }();
  return s;
}

const std::string& LuaData() {
  static const std::string s = [] {
    std::string out = "local D = {}\n";
    out.reserve(kDataBytes + 4096);
    for (int i = 0; out.size() < kDataBytes; ++i) {
      Item it = ItemAt(i);
      out += "D[\"n" + it.n + "\"] = { Pos = {" + it.a + ".5, " + it.b + " * 3, -4}, Scale = 0.5 + " + it.b +
             ".25, Count = " + it.n + " * 2 + 1, Name = 'node " + it.n + "', Weights = {1.0, " + it.a +
             ".5, 3.25}, Props = { kind = 'box', level = " + it.b + " } }\n";
    }
    return out + "return D\n";
  }();
  return s;
}

void BM_Lua(benchmark::State& state) {
  const std::string& chunk = LuaData();
  for (auto _ : state) {
    lua_State* L = luaL_newstate();
    if (luaL_loadbuffer(L, chunk.data(), chunk.size(), "data") != LUA_OK || lua_pcall(L, 0, 1, 0) != LUA_OK) {
      state.SkipWithError(lua_tostring(L, -1));
      lua_close(L);
      break;
    }
    state.PauseTiming();  // freeing the tables is not part of building them
    lua_close(L);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chunk.size()));
}
BENCHMARK(BM_Lua)->Unit(benchmark::kMillisecond);

using namespace PM;

const char kClasses[] =
    "class Item . { .Pos (0, 0, 0); .Scale 1.0; .Count 0; .Name ''; .Weights [0.0]; .Props { .kind ''; }; };";

// The engine with the class defined. Each timed run gets a fresh namespace, so it creates every object
// as Lua builds every table; dropping the old objects is not timed (Lua's lua_close is not either).
struct Engine {
  Obj<ScriptEngine> engine;
  Engine() {
    DLLInitialize(1);
    engine = Obj<ScriptEngine>(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    Parser::ParseText(engine, String(kClasses), String("classes"), kParseQuiet);
    const std::string& s = ScriptData();
    Parser::ParseText(engine, String(s.data(), int(s.size())), String("data"), kParseQuiet, &errors);
  }
  ~Engine() {
    engine = Obj<ScriptEngine>();
    DLLDeInitialize(1);
  }
  int errors = 0;  // of a first run of the data script: the figures mean something only without errors

  void FreshNamespace() {
    engine->SetNamespace(static_cast<ScriptNamespace*>(Obj<ScriptObject>(ScriptNamespace::Create(String())).Get()));
    Parser::ParseText(engine, String(kClasses), String("classes"), kParseQuiet);
  }
};

Engine& TheEngine() {
  static Engine e;
  return e;
}

const char kIncomplete[] = "the data script reports errors: the language is not complete yet";

void BM_ParseText(benchmark::State& state) {
  const std::string& s = ScriptData();
  if (TheEngine().errors) {
    state.SkipWithError(kIncomplete);
    return;
  }
  ScriptEngine* engine = TheEngine().engine;
  String text(s.data(), int(s.size()));
  for (auto _ : state) {
    state.PauseTiming();
    TheEngine().FreshNamespace();
    state.ResumeTiming();
    Parser::ParseText(engine, text, String("data"), kParseQuiet);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_ParseText)->Unit(benchmark::kMillisecond);

void BM_ParseMemory(benchmark::State& state) {
  const std::string& s = ScriptData();
  static const CompileResult compiled = CompileScript(s.data(), s.size());
  if (!compiled.ok) {
    state.SkipWithError(("the compiler refuses the data script: " + compiled.error).c_str());
    return;
  }
  if (TheEngine().errors) {
    state.SkipWithError(kIncomplete);
    return;
  }
  ScriptEngine* engine = TheEngine().engine;
  for (auto _ : state) {
    state.PauseTiming();
    TheEngine().FreshNamespace();
    state.ResumeTiming();
    Parser::ParseMemory(engine, compiled.bytes.data(), compiled.bytes.size(), String("data"), kParseQuiet);
  }
  // Throughput in bytes of the text the compiled script stands for, so the figures compare.
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
  state.counters["compiled_bytes"] = double(compiled.bytes.size());
}
BENCHMARK(BM_ParseMemory)->Unit(benchmark::kMillisecond);

}  // namespace
