// scriptc: compiles a script text file into a compiled script.
//   scriptc INPUT OUTPUT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "ScriptCompiler.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: scriptc INPUT OUTPUT\n");
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
