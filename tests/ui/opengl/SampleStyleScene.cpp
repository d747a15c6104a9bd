#include "SampleStyleScene.h"

#include <filesystem>

namespace PM::Test {

std::string SampleStyleScene(const TempDir& dir) {
  const std::string examples = std::string(PM_UI_DATA_DIR) + "/../../../examples/ui";
  std::filesystem::copy_file(examples + "/skin.png", dir.File("skin.png"));
  return ReadFile(std::string(PM_UI_DATA_DIR) + "/window.bs") + "FileObject:skinFile . { .FileName 'absolute://" +
         dir.File("skin") + "'; };\n" + ReadFile(examples + "/style.bs");
}

}  // namespace PM::Test
