#include "scene/ImportModule.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "core/Log.h"
#include "platform/ModuleLoader.h"
#include "scene/Branch.h"

namespace PM {

namespace {
constexpr const char* kKnownType = "Maya";
std::atomic<ImportProgressHandler> g_progress{nullptr};
}  // namespace

void SetImportProgressHandler(ImportProgressHandler handler) { g_progress.store(handler); }

void ReportImportProgress(const char* file, ImportStage stage, uint64_t bytes) {
  if (ImportProgressHandler handler = g_progress.load()) handler(file, stage, bytes);
}

ImportModule* ImportModule::CreateImportModule(const char* typeName) {
  if (!typeName || std::strcmp(typeName, kKnownType) != 0) return nullptr;
  const String moduleName = String::FromConcatCStr(String::FromConcatCStr("Pelmora", "010276"), "IM.DLL");
  // The module is never freed: objects it made may outlive any owner we could give it.
  ModuleHandle module = Module::Load(moduleName.CStr());
  if (!module) {
    LogError("ImportModule::CreateImportModule(\"", moduleName, "\"): DLL load failed.");
    return nullptr;
  }
  std::string symbol = std::string("CreateImportModule") + typeName;
  auto factory = reinterpret_cast<ImportModuleFactory>(Module::Symbol(module, symbol.c_str()));
  if (!factory) {
    LogError("ImportModule::CreateImportModule(\"", moduleName, "\"): function unresolved.");
    return nullptr;
  }
  return factory();
}

void CollectSubtree(ScriptObject* node, Array<Obj<ScriptObject>>& nodes, SubtreeIndex& index) {
  // Depth first with an explicit stack: the children go on in list order, so the last is taken first,
  // and each subtree is complete before its earlier sibling is looked at.
  std::vector<ScriptObject*> pending{node};
  while (!pending.empty()) {
    ScriptObject* n = pending.back();
    pending.pop_back();
    if (!n || IsNilObject(n) || !index.try_emplace(n, nodes.Count()).second) continue;
    nodes.Append(Obj<ScriptObject>(n));
    if (!n->IsA(TBranch_I::kClassId)) continue;
    for (const Obj<TNode_I>& child : static_cast<TBranch_I*>(n)->m_children) pending.push_back(child.Get());
  }
}

void CollectSubtree(ScriptObject* node, Array<Obj<ScriptObject>>& nodes) {
  if (!node || IsNilObject(node)) return;
  SubtreeIndex index;
  index.reserve(size_t(nodes.Count()));
  for (int32_t i = 0; i < nodes.Count(); ++i) index[nodes[i].Get()] = i;
  CollectSubtree(node, nodes, index);
}

int32_t FindLast(const Array<Obj<ScriptObject>>& objects, const ScriptObject* object) {
  if (!object) object = NilScriptObject();
  for (int32_t i = objects.Count() - 1; i >= 0; --i)
    if (objects[i].Get() == object) return i;
  return -1;
}

}  // namespace PM
