// scriptc: compiles a script text file into a compiled script.
//   scriptc INPUT OUTPUT
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <pelmora/platform/ReplacingFile.h>
#include <pelmora/platform/SafeFile.h>

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
  // Written beside and renamed over OUTPUT once whole: a failed write leaves no partial or empty file.
  PM::ReplacingFile out(argv[2]);
  size_t done = 0;
  while (out.Fd() >= 0 && done < r.bytes.size()) {
    const ssize_t n = write(out.Fd(), r.bytes.data() + done, r.bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  if (done < r.bytes.size() || !out.Commit()) {
    const int error = out.Error() ? out.Error() : errno;
    std::fprintf(stderr, "scriptc: cannot write %s: %s\n", argv[2], PM::OpenFailureText(error));
    return 1;
  }
  return 0;
}
