// The shape of the scene trees as one version number: every change of a parent/child link or of a
// node's S-node, and the destruction of a branch, moves it on. A walk may keep what it derived from a
// tree's shape (such as the order of its visits) for as long as the version it saw still holds.
#pragma once

#include <cstdint>

namespace PM {

uint64_t TreeShapeVersion();
void TreeShapeChanged();

}  // namespace PM
