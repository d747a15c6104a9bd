#include "render/TreeUpdateHook.h"

namespace PM {

namespace {
TreeUpdateFn g_treeUpdate = nullptr;
}  // namespace

TreeUpdateFn GetTreeUpdate() { return g_treeUpdate; }
void SetTreeUpdate(TreeUpdateFn fn) { g_treeUpdate = fn; }

}  // namespace PM
