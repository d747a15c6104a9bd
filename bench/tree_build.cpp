// Building a tree through a script, one `.Parent` statement a node: a 100,000-deep chain (each node
// below the one before) against 100,000 siblings below one root. Placing a node checks that it does
// not end up below itself; for a node without children that check must not walk up the chain, so the
// chain costs what the siblings cost.
#include <benchmark/benchmark.h>

#include <string>

#include "core/StartUp.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"

namespace {

using namespace PM;

constexpr int kNodes = 100000;

// Node i goes below node i - 1 (a chain) or below node 0 (siblings).
std::string TreeScript(bool chain) {
  std::string s = "TTransform:n0;\n";
  for (int i = 1; i < kNodes; ++i)
    s += "TTransform:n" + std::to_string(i) + ".Parent TTransform:n" + std::to_string(chain ? i - 1 : 0) + ";\n";
  return s;
}

// The library, started once for the program and shut down when it ends.
struct Library {
  Library() : started(DLLInitialize(1) == 0) {}
  ~Library() {
    if (started) DLLDeInitialize(1);
  }
  bool started;
};

void BM_BuildTreeScript(benchmark::State& state) {
  static const Library library;
  if (!library.started) {
    state.SkipWithError("the library did not start");
    return;
  }
  const std::string text = TreeScript(state.range(0) != 0);
  const String script(text.data(), int(text.size()));
  int errors = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    state.ResumeTiming();
    Parser::ParseText(engine, script, String("tree.bs"), kParseQuiet, &errors);
    state.PauseTiming();  // dropping the tree is not part of building it
    engine = Obj<ScriptEngine>();
    state.ResumeTiming();
  }
  if (errors) state.SkipWithError("the tree script reports errors");
  state.SetItemsProcessed(int64_t(state.iterations()) * kNodes);
}
// Argument 1: the chain; 0: the siblings.
BENCHMARK(BM_BuildTreeScript)->ArgName("chain")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
