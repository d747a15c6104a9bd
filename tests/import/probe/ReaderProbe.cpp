// A module holding ReadModelFile, as the importer module does: the tests load it to see the reader
// looked for beside the module's own file.
#include <string>

#include "import/ImportScene.h"

extern "C" __attribute__((visibility("default"))) bool ProbeReadModelFile(const char* path, std::string* error) {
  PM::Import::Scene scene;
  return PM::Import::ReadModelFile(path, {}, scene, *error);
}
