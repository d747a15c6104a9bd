#include "render/TreeUpdateHook.h"

namespace PM {

namespace {
TreeUpdateFn g_treeUpdate = nullptr;
ParticlesUpdateFn g_particlesUpdate = nullptr;
}  // namespace

TreeUpdateFn GetTreeUpdate() { return g_treeUpdate; }
void SetTreeUpdate(TreeUpdateFn fn) { g_treeUpdate = fn; }
ParticlesUpdateFn GetParticlesUpdate() { return g_particlesUpdate; }
void SetParticlesUpdate(ParticlesUpdateFn fn) { g_particlesUpdate = fn; }

}  // namespace PM
