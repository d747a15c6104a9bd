// A stand-in importer module: it remembers the file it was asked to import and builds no tree. Built
// once with its factory and once without (PM_IMPORTER_WITHOUT_FACTORY).
#include <string>

#include "scene/ImportModule.h"

namespace {

class StandInImporter : public PM::ImportModule {
 public:
  const char* GetTypeName() const override { return "Maya"; }
  uint32_t Import(const char* fileName) override {
    if (!fileName || !*fileName) return 0x80000003;  // EInvalidArgument
    m_file = fileName;
    return 0;
  }
  PM::ScriptObject* TakeRoot() override { return nullptr; }
  void Release() override { delete this; }

 private:
  std::string m_file;
};

}  // namespace

#ifndef PM_IMPORTER_WITHOUT_FACTORY
extern "C" __attribute__((visibility("default"))) PM::ImportModule* CreateImportModuleMaya() {
  return new StandInImporter;
}
#else
extern "C" __attribute__((visibility("default"))) int ImportModuleWithoutFactory() { return 0; }
#endif
