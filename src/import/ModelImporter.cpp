// The importer module's entry: ImportModule over the reader program (ReadModelFile) and ModelBuilder.
#include <atomic>
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

// Names from the file as they may be printed: with no control character that could drive a terminal or
// forge a log line.
void MakeNamesInert(Scene& scene) {
  auto inert = [](std::string& s) { s = InertText(s); };
  for (Node& n : scene.nodes) inert(n.name);
  for (Mesh& m : scene.meshes) {
    inert(m.name);
    for (MorphTarget& t : m.targets) inert(t.name);
  }
  for (Material& m : scene.materials) inert(m.name);
  for (Texture& t : scene.textures) inert(t.source);
  for (Camera& c : scene.cameras) inert(c.name);
  for (Light& l : scene.lights) inert(l.name);
  for (Animation& a : scene.animations) inert(a.name);
  inert(scene.leftOut);
  for (std::string& w : scene.warnings) inert(w);
}

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
    if (!CheckSceneBounds(scene, kSceneBounds, error)) {
      ReportImportProgress(fileName, ImportStage::kDone, received);
      LogError("Import: Cannot import \"", file.c_str(), "\": ", error.c_str(), ".");
      return EFail;
    }
    MakeNamesInert(scene);
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
