// The cross-back-end comparison for scripts: `pm-cross-image-check GOT WANT OUTBASE` exits 0 when GOT
// meets WANT, else prints the figures, writes both images and a diff beside OUTBASE and exits 1.
#include <cstdio>
#include <string>

#include "core/Module.h"
#include "render/engine/Image.h"
#include "support/CrossImageCompare.h"

namespace {

// The image loader finds a file by its name without the extension.
PM::String Stem(std::string name) {
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) name.resize(name.size() - 4);
  return PM::String(name.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s GOT WANT OUTBASE\n", argv[0]);
    return 2;
  }
  if (PM::DLLInitialize(1) != 0) return 2;
  int code = 2;
  {
    PM::Obj<PM::Image_I> got(PM::Image_I::New()), want(PM::Image_I::New());
    if (got->ImportFile(Stem(argv[1])) != 0 || want->ImportFile(Stem(argv[2])) != 0) {
      std::fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
    } else {
      const std::string failure = PM::Test::CheckAcrossBackEnds(*got, *want, argv[3]);
      if (!failure.empty()) std::printf("%s\n", failure.c_str());
      code = failure.empty() ? 0 : 1;
    }
  }
  PM::DLLDeInitialize(0);
  return code;
}
