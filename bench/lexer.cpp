// Lexing throughput of a generated 10 MB script: as text, and as its compiled form.
#include <benchmark/benchmark.h>

#include <string>

#include "ScriptCompiler.h"
#include "script/lang/BinaryLexer.h"
#include "script/lang/Lexer.h"

namespace {

const std::string& Script() {
  static const std::string s = [] {
    std::string out;
    for (int i = 0; out.size() < 10u << 20; ++i) {
      std::string n = std::to_string(i);
      out += "var node" + n + " = :Scene:Root.Child" + n + "; // node " + n + "\n";
      out += "node" + n + ".Translation = Vector3f(" + n + ".5, -2.25e1, 0x" + n + "u);\n";
      out += "node" + n + ".Name = \"object \\\"" + n + "\\\" here\"; if (node" + n + ".Count >= 3 && x != 4) { p(-" +
             n + "); }\n";
    }
    return out;
  }();
  return s;
}

const std::string& Compiled() {
  static const std::string c = [] {
    PM::CompileResult r = PM::CompileScript(Script().data(), Script().size());
    return r.ok ? r.bytes.substr(4) : std::string();
  }();
  return c;
}

template <class L>
void LexBench(benchmark::State& state, const std::string& bytes) {
  int64_t tokens = 0;
  for (auto _ : state) {
    L l(bytes.data(), bytes.size(), PM::Lexer::kParserMode);
    do {
      l.Lex();
      ++tokens;
    } while (l.Kind() != 255 && l.Kind() != 0);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Script().size()));  // per script byte
  state.counters["tokens/s"] = benchmark::Counter(double(tokens), benchmark::Counter::kIsRate);
}

void BM_LexText(benchmark::State& state) { LexBench<PM::Lexer>(state, Script()); }
void BM_LexCompiled(benchmark::State& state) { LexBench<PM::BinaryLexer>(state, Compiled()); }

BENCHMARK(BM_LexText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexCompiled)->Unit(benchmark::kMillisecond);

}  // namespace
