// classdoc: writes the engine classes page from the class tables the library defines at start-up and
// the first comment of each class's header, or checks that the committed page is current; with
// --tokens, the script token kinds page from the token kind enumeration instead.
//   classdoc [--src DIR] [--tokens]                 the page on standard output
//   classdoc [--src DIR] [--tokens] --write [FILE]  the page into FILE (default docs/classes.md, or
//                                                   docs/token-kinds.md, of the source tree)
//   classdoc [--src DIR] [--tokens] --check [FILE]  exit 1 when FILE differs from the page
// DIR is the source tree (default the one this program was built from). Exit 1 also when a class has
// no header comment to take its purpose from, or a token kind nothing to say what it reads as.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ClassPage.h"
#include "HeaderPurpose.h"
#include "TokenPage.h"
#include "core/Log.h"
#include "core/StartUp.h"

namespace {

const char kUsage[] = "usage: classdoc [--src DIR] [--tokens] [--write [FILE] | --check [FILE]]\n";

bool ReadWhole(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string src = PM_SOURCE_DIR, mode, file;
  bool tokens = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--src" && i + 1 < argc) {
      src = argv[++i];
    } else if (a == "--tokens") {
      tokens = true;
    } else if ((a == "--write" || a == "--check") && mode.empty()) {
      mode = a;
      if (i + 1 < argc && argv[i + 1][0] != '-') file = argv[++i];
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (file.empty()) file = src + (tokens ? "/docs/token-kinds.md" : "/docs/classes.md");

  PM::g_LogLevel = PM::kLevelWarn;  // start-up chatter stays out; warnings and errors still show
  if (PM::DLLInitialize(0) != 0) {
    std::fputs("classdoc: the library did not start.\n", stderr);
    return 1;
  }
  std::vector<std::string> unexplained;
  std::string page;
  int status = 0;
  if (tokens) {
    const std::string header = src + "/src/script/lang/TokenKinds.h";
    std::string text;
    if (!ReadWhole(header, text)) {
      std::fprintf(stderr, "classdoc: cannot read %s.\n", header.c_str());
      status = 1;
    }
    page = PM::ClassDoc::WriteTokenPage(text, unexplained);
    for (const std::string& name : unexplained) {
      std::fprintf(stderr, "classdoc: token kind %s has no operator text or comment in %s.\n", name.c_str(),
                   header.c_str());
      status = 1;
    }
  } else {
    page = PM::ClassDoc::WriteClassPage(PM::ClassDoc::ReadHeaderPurposes(src + "/src"), unexplained);
    for (const std::string& name : unexplained) {
      std::fprintf(stderr, "classdoc: class %s has no header under %s/src whose first comment says what it is for.\n",
                   name.c_str(), src.c_str());
      status = 1;
    }
  }
  PM::DLLDeInitialize(0);

  if (mode.empty()) {
    std::fwrite(page.data(), 1, page.size(), stdout);
  } else if (mode == "--write") {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << page;
    if (!out.flush()) {
      std::fprintf(stderr, "classdoc: cannot write %s.\n", file.c_str());
      return 1;
    }
  } else {
    std::string committed;
    if (!ReadWhole(file, committed) || committed != page) {
      std::fprintf(stderr, "classdoc: %s is not current; run build/tools/classdoc/classdoc%s --write.\n", file.c_str(),
                   tokens ? " --tokens" : "");
      return 1;
    }
  }
  return status;
}
