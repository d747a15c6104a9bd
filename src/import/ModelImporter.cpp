// The importer module's entry: ImportModule over the reader program (ReadModelFile) and ModelBuilder.
#include <string>

#include "core/Log.h"
#include "core/ResultCode.h"
#include "import/ImportScene.h"
#include "import/ModelBuilder.h"
#include "scene/ImportModule.h"

namespace PM::Import {

namespace {

class ModelImporter : public ImportModule {
 public:
  const char* GetTypeName() const override { return "Maya"; }

  uint32_t Import(const char* fileName) override {
    m_root.Clear();
    m_scheduler.Clear();
    if (!fileName || !*fileName) {
      LogError("Import: no file name given.");
      return EInvalidArgument;
    }
    Scene scene;
    std::string error;
    // The host hears how far the import has come, and of its end whichever way it goes, each before
    // anything is logged.
    uint64_t received = 0;
    ReportImportProgress(fileName, ImportStage::kStart, 0);
    const auto progress = [&](uint64_t bytes) {
      received = bytes;
      ReportImportProgress(fileName, bytes ? ImportStage::kReceiving : ImportStage::kReading, bytes);
    };
    // The reader's sentence names the file and the cause ("Cannot import "FILE": ...").
    if (!ReadModelFile(fileName, ReaderLimits{}, scene, error, progress)) {
      ReportImportProgress(fileName, ImportStage::kDone, received);
      LogError("Import: ", error.c_str());
      return EFail;
    }
    ReportImportProgress(fileName, ImportStage::kBuilding, received);
    Obj<ScriptObject> root = BuildModel(scene, fileName, error, &m_scheduler);
    ReportImportProgress(fileName, ImportStage::kDone, received);
    if (root.IsNil()) {
      LogError("Import: Cannot import \"", fileName, "\": ", error.c_str(), ".");
      return EFail;
    }
    m_root = root;
    return SOK;
  }

  ScriptObject* TakeRoot() override { return m_root.IsNil() ? nullptr : m_root.Detach(); }
  ScriptObject* TakeScheduler() override { return m_scheduler.IsNil() ? nullptr : m_scheduler.Detach(); }

  void Release() override { delete this; }

 private:
  Obj<ScriptObject> m_root;
  Obj<ScriptObject> m_scheduler;
};

}  // namespace

}  // namespace PM::Import

extern "C" __attribute__((visibility("default"))) PM::ImportModule* CreateImportModuleMaya() {
  return new PM::Import::ModelImporter;
}
