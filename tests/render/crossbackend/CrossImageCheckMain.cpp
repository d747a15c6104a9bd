// The cross-back-end comparison for scripts: `pm-cross-image-check GOT WANT OUTBASE` prints the figures
// and exits 0 when GOT meets WANT, else writes both images and a diff beside OUTBASE and exits 1.
#include <cstdio>
#include <string>

#include "core/StartUp.h"
#include "engine/Image.h"
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
      // The figures also when the images pass, so a run shows how near each scene comes.
      const int pixels = got->GetWidth() * got->GetHeight();
      std::printf("%s\n", PM::Test::CompareAcrossBackEnds(*got, *want).Describe(pixels).c_str());
      const std::string failure = PM::Test::CheckAcrossBackEnds(*got, *want, argv[3]);
      if (!failure.empty()) std::printf("%s\n", failure.c_str());
      code = failure.empty() ? 0 : 1;
    }
  }
  PM::DLLDeInitialize(0);
  return code;
}
