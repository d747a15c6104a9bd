// scriptc: compiles a script text file into a compiled script.
//   scriptc INPUT OUTPUT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "ScriptCompiler.h"

namespace {

const char kUsage[] =
    "usage: scriptc INPUT OUTPUT\n"
    "Compiles the script text file INPUT into the compiled script OUTPUT (\"BSB\"), which pm-run and a\n"
    "script's `include` load like the text.\n"
    "Exit status: 0 when it compiled, 1 for a script or file error, 2 for a bad command line.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "scriptc: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  PM::CompileResult r = PM::CompileScript(text.data(), text.size());
  if (!r.ok) {
    std::fprintf(stderr, "%s: %s\n", argv[1], r.error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(r.bytes.data(), std::streamsize(r.bytes.size()));
  if (!out) {
    std::fprintf(stderr, "scriptc: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
