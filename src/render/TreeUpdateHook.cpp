#include "render/TreeUpdateHook.h"

namespace PM {

namespace {
TreeUpdateFn g_treeUpdate = nullptr;
ParticleUpdateFn g_particleUpdate = nullptr;
}  // namespace

TreeUpdateFn GetTreeUpdate() { return g_treeUpdate; }
void SetTreeUpdate(TreeUpdateFn fn) { g_treeUpdate = fn; }
ParticleUpdateFn GetParticleUpdate() { return g_particleUpdate; }
void SetParticleUpdate(ParticleUpdateFn fn) { g_particleUpdate = fn; }

}  // namespace PM
