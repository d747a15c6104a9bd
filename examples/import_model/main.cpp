// pm-import-model: the guide's importer host. It brings a model file in through the importer module and
// prints the tree of transform nodes it became, each with its geometry, one line a node.
//   pm-import-model FILE
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <pelmora/core/Log.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/geometry/PolygonGeometry.h>
#include <pelmora/scene/ImportModule.h>
#include <pelmora/scene/Transform.h>

using namespace PM;

// Prints `root` and the nodes below it, indented by depth (an explicit stack: files nest deeply).
void PrintTree(ScriptObject* root) {
  std::vector<std::pair<TNode_I*, int>> pending{{static_cast<TNode_I*>(root), 0}};
  while (!pending.empty()) {
    auto [node, depth] = pending.back();
    pending.pop_back();
    const std::string indent(size_t(depth) * 2, ' ');
    if (node->IsA(TPolygonGeometry_I::kClassId)) {
      auto* mesh = static_cast<SPolygonGeometry_I*>(node->GetSNode());
      std::printf("%sgeometry %s: %d vertices\n", indent.c_str(), mesh->m_name.CStr(), mesh->m_vertices.Count());
      continue;
    }
    std::printf("%snode %s\n", indent.c_str(), node->m_name.CStr());
    if (!node->IsA(TBranch_I::kClassId)) continue;
    const Array<Obj<TNode_I>>& children = static_cast<TBranch_I*>(node)->m_children;
    for (int32_t i = children.Count() - 1; i >= 0; --i) pending.emplace_back(children[i].Get(), depth + 1);
  }
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: pm-import-model FILE\n", stderr);
    return 2;
  }
  g_LogLevel = kLevelNote;  // warnings and errors on the console
  if (DLLInitialize(0) != 0) return 1;
  int status = 1;
  // The module for the source type "Maya" reads every format the importer knows; null (logged) when
  // the module is not installed.
  if (ImportModule* importer = ImportModule::CreateImportModule("Maya")) {
    // A failed import has logged one error naming the file and the cause, and built nothing.
    if (importer->Import(argv[1]) == 0) {
      Obj<ScriptObject> root;
      root.Attach(importer->TakeRoot());  // the caller's reference
      PrintTree(root);
      status = 0;
    }
    importer->Release();  // the root stays: it is ours now
  }
  DLLDeInitialize(0);
  return status;
}
