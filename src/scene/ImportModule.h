// ImportModule: the interface of the sibling module that brings in scenes made in an outside modelling
// package, and the operations that gather a subtree of T-nodes for the scene operations.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Array.h"
#include "core/Obj.h"

namespace PM {

class ScriptObject;

// Settings of the imports a module makes after it is given them.
struct ImportOptions {
  // The folder the model's reader may read beneath; null or empty: the model's own folder.
  const char* assetRoot = nullptr;
  // The reader's memory budget in bytes; 0: from the machine and the size of the files it reads.
  uint64_t readerMemory = 0;
  // The folders a texture is looked for in by its file name, in order, after the model's own; the reader
  // may read textures beneath them.
  std::vector<std::string> texturePath;
};

// A material whose texture the file names but the import did not draw: the material's name (as the import
// named it), the texture's source as the file writes it, and why.
struct MissingTexture {
  enum class Cause : uint8_t {
    kNotFound,     // no file where it was looked for
    kOutsideRoot,  // refused: it lies outside the asset root
    kNotRegular,   // refused: a FIFO, a socket, a device or a folder
    kOverBudget,   // decoding it needs more than the reader's memory budget
    kNotDecoded,   // no image the reader decodes
  };
  std::string material, source;
  Cause cause = Cause::kNotFound;
  bool operator==(const MissingTexture&) const = default;
};
using MissingTextures = std::vector<MissingTexture>;

// Implemented by the importer module; the engine only loads the module and calls its factory. The
// module object belongs to the module: Release frees it, while the module itself stays loaded.
class ImportModule {
 public:
  ImportModule() = default;
  ImportModule(const ImportModule&) = default;
  virtual ~ImportModule() = default;

  // The source type the module reads ("Maya").
  virtual const char* GetTypeName() const = 0;
  // Reads a scene file; 0 on success, else a result code.
  virtual uint32_t Import(const char* fileName) = 0;
  // The root T-node of the last import with one reference for the caller, or null when there is none.
  virtual ScriptObject* TakeRoot() = 0;
  virtual void Release() = 0;
  // After the four operations every module has, so that their slots stay where a module expects them:
  // the AnimationScheduler of the last import's clips with one reference for the caller, or null when
  // the file has no animations (or the module brings none).
  virtual ScriptObject* TakeScheduler() { return nullptr; }
  // Settings for the imports that follow (copied).
  virtual void SetOptions(const ImportOptions& options) { (void)options; }
  // The last import's materials whose texture was not found, one entry a material, in the order built.
  virtual MissingTextures GetMissingTextures() const { return {}; }

  // The module for a source type, or null. Only "Maya" (byte for byte) is known; its module is
  // "Pelmora010276IM.DLL" with the factory "CreateImportModuleMaya". Failures are logged.
  static ImportModule* CreateImportModule(const char* typeName);
};

// How far an import has come, for a host that tells of long loads: its stages in order.
enum class ImportStage {
  kStart,      // the module begins with the file
  kReading,    // the reader program reads the file (nothing has come back yet)
  kReceiving,  // the reader sends the scene: `bytes` of its stream have come
  kBuilding,   // the module builds the engine's objects from `bytes` of stream
  kDone,       // the import ended, well or not
};
// What a host installs to hear of an import's stages (null: nothing is told). The module reports from
// the importing thread, at least four times a second while the reader runs.
using ImportProgressHandler = void (*)(const char* file, ImportStage stage, uint64_t bytes);
void SetImportProgressHandler(ImportProgressHandler handler);
// Called by the importer module: hands the stage to the installed handler, if any.
void ReportImportProgress(const char* file, ImportStage stage, uint64_t bytes);

// The factory a module exports under "CreateImportModule" + type name.
using ImportModuleFactory = ImportModule* (*)();

// Appends node and its subtree to `nodes`: the node first, then the subtrees of a branch's children
// from the last child to the first. Nil (or null) adds nothing, nor does a node already listed, nor
// its children.
void CollectSubtree(ScriptObject* node, Array<Obj<ScriptObject>>& nodes);
// Where each listed object stands (its highest index): the look-up that keeps collecting and linking
// linear in the size of the tree.
using SubtreeIndex = std::unordered_map<const ScriptObject*, int32_t>;
// As above, keeping `index` in step with `nodes` (it must describe them on entry).
void CollectSubtree(ScriptObject* node, Array<Obj<ScriptObject>>& nodes, SubtreeIndex& index);
// The highest index holding `object`, or -1.
int32_t FindLast(const Array<Obj<ScriptObject>>& objects, const ScriptObject* object);

}  // namespace PM
