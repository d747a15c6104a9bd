// The importer module's entry: ImportModule over the reader program (ReadModelFile) and ModelBuilder.
#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/ResultCode.h"
#include "import/ImportScene.h"
#include "import/InertText.h"
#include "import/ModelBuilder.h"
#include "import/ReaderProcess.h"
#include "import/SceneBounds.h"
#include "scene/ImportModule.h"

namespace PM::Import {

namespace {

// The reader's notes: its warnings each time, a confinement the kernel lacks once a process.
void LogNotes(const std::vector<ReaderNote>& notes, const std::string& file) {
  static std::atomic<bool> toldLacking{false};
  for (const ReaderNote& note : notes) {
    if (note.warning)
      LogWarn("Import(\"", file.c_str(), "\"): ", note.text.c_str());
    else if (!toldLacking.exchange(true))
      LogInfo("Import: ", note.text.c_str());
  }
}

class ModelImporter : public ImportModule {
 public:
  ModelImporter() { StartSpareReader(); }

  const char* GetTypeName() const override { return "Maya"; }

  uint32_t Import(const char* fileName) override {
    // Memory running out anywhere in an import ends that import, not the host.
    try {
      return ImportFile(fileName);
    } catch (const std::bad_alloc&) {
      m_root.Clear();
      m_scheduler.Clear();
      m_missing.clear();
      ReportImportProgress(fileName ? fileName : "", ImportStage::kDone, 0);
      LogError("Import: Cannot import \"", InertText(fileName ? fileName : "").c_str(),
               "\": the host ran out of memory while building it.");
      return EFail;
    }
  }

 private:
  uint32_t ImportFile(const char* fileName) {
    m_root.Clear();
    m_scheduler.Clear();
    m_missing.clear();
    if (!fileName || !*fileName) {
      LogError("Import: no file name given.");
      return EInvalidArgument;
    }
    const std::string file = InertText(fileName);
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
    std::vector<ReaderNote> notes;
    ReadRequest request{fileName, m_assetRoot, ReaderLimits{}, m_texturePath};
    request.limits.addressSpace = m_readerMemory;
    const bool read = ReadModelFile(request, scene, error, &notes, progress);
    ReportImportProgress(fileName, read ? ImportStage::kBuilding : ImportStage::kDone, received);
    LogNotes(notes, file);
    // The reader's sentence names the file and the cause ("Cannot import "FILE": ...").
    if (!read) {
      LogError("Import: ", error.c_str());
      return EFail;
    }
    // The host's own check, said as such beside the reader's and Assimp's refusals.
    if (!CheckSceneBounds(scene, kSceneBounds, error)) {
      ReportImportProgress(fileName, ImportStage::kDone, received);
      LogError("Import: Cannot import \"", file.c_str(), "\": the importer refused it: ", error.c_str(), ".");
      return EFail;
    }
    Obj<ScriptObject> root = BuildModel(scene, file, error, &m_scheduler, &m_missing, m_texturePath);
    ReportImportProgress(fileName, ImportStage::kDone, received);
    if (root.IsNil()) {
      m_missing.clear();
      LogError("Import: Cannot import \"", file.c_str(), "\": ", error.c_str(), ".");
      return EFail;
    }
    m_root = root;
    return SOK;
  }

 public:
  void SetOptions(const ImportOptions& options) override {
    m_assetRoot = options.assetRoot ? options.assetRoot : "";
    m_readerMemory = options.readerMemory;
    m_texturePath = options.texturePath;
  }

  ScriptObject* TakeRoot() override { return m_root.IsNil() ? nullptr : m_root.Detach(); }
  ScriptObject* TakeScheduler() override { return m_scheduler.IsNil() ? nullptr : m_scheduler.Detach(); }
  MissingTextures GetMissingTextures() const override { return m_missing; }

  void Release() override { delete this; }

 private:
  Obj<ScriptObject> m_root;
  Obj<ScriptObject> m_scheduler;
  MissingTextures m_missing;
  std::string m_assetRoot;
  uint64_t m_readerMemory = 0;
  std::vector<std::string> m_texturePath;
};

}  // namespace

}  // namespace PM::Import

extern "C" __attribute__((visibility("default"))) PM::ImportModule* CreateImportModuleMaya() {
  return new PM::Import::ModelImporter;
}
