#include "scene/ImportModelFunction.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "classes/EngineClassIds.h"
#include "core/Log.h"
#include "core/StartUp.h"
#include "platform/InertText.h"
#include "scene/Branch.h"
#include "scene/ImportModule.h"
#include "scene/Node.h"
#include "scene/Transform.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptNamespace.h"
#include "script/object/ValueBox.h"
#include "storage/Storage.h"

namespace PM {

namespace {

// How many numbered forms of a taken name are tried before the object is left unregistered.
constexpr int kMaxNameTries = 10000;
// AnimationScheduler's class and its AnimationClip member.
constexpr uint32_t kSchedulerClass = ClassId::AnimationScheduler;
constexpr uint32_t kMemberSchedulerClips = 0x02FFF093;
// SSkinPolygonGeometry's BlendControl member: the blend shapes' weights, which scripts set by name.
constexpr uint32_t kMemberSkinBlendControl = 0x03FFF078;

// The namespace imports register their names in; outlives every static that may still call.
WeakObj<ScriptObject>& Names() {
  static auto* names = new WeakObj<ScriptObject>();
  return *names;
}

// The last shutdown lets go of the namespace's weak target, a block of the library's.
void ForgetNames() { Names() = WeakObj<ScriptObject>(); }
const ModuleHookRegistration kForgetNames(kStageBuiltinClasses, "ImportModel", nullptr, &ForgetNames);

void Register(ScriptNamespace* names, ScriptObject* object) {
  auto* o = static_cast<Object_I*>(object);
  const std::string base = o->m_name.CStr();
  if (base.empty()) return;
  std::string name = base;
  for (int i = 2; !IsNilObject(names->FindObject(String(name.c_str()))); ++i) {
    if (i > kMaxNameTries) {
      LogWarn("ImportModel: \"", InertText(base).c_str(), "\" is taken ", kMaxNameTries,
              " times over; the object stays unnamed.");
      return;
    }
    name = base + "_" + std::to_string(i);
  }
  if (name != base) o->m_name = String(name.c_str());
  names->RegisterNamedObject(object, String(name.c_str()));
}

// The transform and joint nodes of the tree and the S-nodes of its leaves (geometry descriptions, cameras,
// lights) with the blend controls of skinned ones, each once, under their names.
void RegisterTree(ScriptObject* root) {
  ScriptObject* held = Names().Get();
  if (IsNilObject(held)) return;
  auto* names = static_cast<ScriptNamespace*>(held);
  Array<Obj<ScriptObject>> nodes;
  SubtreeIndex seen;
  CollectSubtree(root, nodes, seen);
  for (const Obj<ScriptObject>& node : nodes) {
    if (node->IsA(TBaseTransform_I::kClassId)) {  // transforms and joints
      Register(names, node);
    } else if (!node->IsA(TBranch_I::kClassId) && node->IsA(TNode_I::kClassId)) {
      ScriptObject* s = static_cast<TNode_I*>(node.Get())->GetSNode();
      if (IsNilObject(s) || !seen.try_emplace(s, -1).second) continue;
      Register(names, s);
      // Through the member: the geometry classes lie above this layer.
      if (s->IsA(ClassId::SSkinPolygonGeometry))
        for (int32_t i = 0, n = MemberSize(s, kMemberSkinBlendControl); i < n; ++i) {
          auto control = MemberGetAt<VObject>(s, kMemberSkinBlendControl, i);
          if (!IsNilObject(control)) Register(names, control);
        }
    }
  }
}

// The animations' scheduler under the first free "Scheduler0", "Scheduler1", ... (the names the host
// steps every frame), and its clips under their own names.
void RegisterScheduler(ScriptObject* scheduler) {
  ScriptObject* held = Names().Get();
  if (IsNilObject(held)) return;
  auto* names = static_cast<ScriptNamespace*>(held);
  for (int i = 0; i < kMaxNameTries; ++i) {
    const String name(("Scheduler" + std::to_string(i)).c_str());
    if (!IsNilObject(names->FindObject(name))) continue;
    static_cast<Object_I*>(scheduler)->m_name = name;
    names->RegisterNamedObject(scheduler, name);
    break;
  }
  // The clips through the scheduler's member: the animation classes lie above this layer.
  for (int32_t i = 0, n = MemberSize(scheduler, kMemberSchedulerClips); i < n; ++i) {
    auto clip = MemberGetAt<VObject>(scheduler, kMemberSchedulerClips, i);
    if (!IsNilObject(clip)) Register(names, clip);
  }
}

// The asset root imports take when ImportModel names none.
std::string& DefaultAssetRoot() {
  static auto* root = new std::string();
  return *root;
}

// The last import's materials whose texture was not found, for the host to read after the call.
struct LastMissing {
  std::mutex lock;
  MissingTextures textures;
};
LastMissing& Missing() {
  static auto* missing = new LastMissing();
  return *missing;
}
void SetMissing(MissingTextures textures) {
  std::lock_guard<std::mutex> hold(Missing().lock);
  Missing().textures = std::move(textures);
}

// The reader's memory budget of every import (0: from the machine and the file).
std::atomic<uint64_t> g_readerMemory{0};

// The texture path imports take when ImportModel names none.
std::vector<std::string>& DefaultTexturePath() {
  static auto* folders = new std::vector<std::string>();
  return *folders;
}

// A relative name is read from the running script's folder.
std::string FromScriptFolder(std::string name) {
  if (!name.empty() && name[0] != '/') name = std::string(Storage::GetReadPath().CStr()) + name;
  return name;
}

bool IsString(const ScriptObject* o) { return o && o->GetClassID() == kClassString; }

// The folders of a texture path written as one string, separated by ":", each from the script's folder.
std::vector<std::string> TexturePathOf(const std::string& text) {
  std::vector<std::string> folders;
  for (size_t at = 0; at <= text.size();) {
    const size_t end = std::min(text.find(':', at), text.size());
    if (end > at) folders.push_back(FromScriptFolder(text.substr(at, end - at)));
    at = end + 1;
  }
  return folders;
}

Obj<ScriptObject> ImportModel(uint32_t id, int32_t argc, ScriptObject** argv) {
  SetMissing({});  // a call that ends early leaves no list of an earlier one
  if (argc < 1 || argc > 3 || !IsString(argv[0]) || (argc >= 2 && !IsString(argv[1])) ||
      (argc == 3 && !IsString(argv[2]))) {
    ReportInvalidArguments(id);
    return Obj<ScriptObject>();
  }
  const std::string file = FromScriptFolder(static_cast<ValueBox<VString>*>(argv[0])->value.CStr());
  const std::string assetRoot =
      argc >= 2 ? FromScriptFolder(static_cast<ValueBox<VString>*>(argv[1])->value.CStr()) : DefaultAssetRoot();
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  if (!importer) return Obj<ScriptObject>();  // logged
  ImportOptions options;
  options.assetRoot = assetRoot.c_str();
  options.readerMemory = g_readerMemory;
  options.texturePath =
      argc == 3 ? TexturePathOf(static_cast<ValueBox<VString>*>(argv[2])->value.CStr()) : DefaultTexturePath();
  importer->SetOptions(options);
  Obj<ScriptObject> root, scheduler;
  MissingTextures missing;
  if (importer->Import(file.c_str()) == 0) {
    root.Attach(importer->TakeRoot());
    scheduler.Attach(importer->TakeScheduler());
    missing = importer->GetMissingTextures();
  }
  importer->Release();
  SetMissing(std::move(missing));
  if (!root.IsNil()) RegisterTree(root);
  if (!root.IsNil() && !scheduler.IsNil() && scheduler->IsA(kSchedulerClass)) RegisterScheduler(scheduler);
  return root;
}

}  // namespace

void SetImportAssetRoot(const char* folder) { DefaultAssetRoot() = folder ? folder : ""; }

void SetImportReaderMemory(uint64_t bytes) { g_readerMemory = bytes; }

void SetImportTexturePath(const std::vector<std::string>& folders) { DefaultTexturePath() = folders; }

MissingTextures LastImportMissingTextures() {
  std::lock_guard<std::mutex> hold(Missing().lock);
  return Missing().textures;
}

bool RegisterImportModel(ScriptNamespace* names) {
  Names() = WeakObj<ScriptObject>(names);
  if (std::string(GlobalFunctionName(kFunctionImportModel)) == "ImportModel") return true;
  return SetGlobalFunction(kFunctionImportModel, "ImportModel", &ImportModel);
}

}  // namespace PM
