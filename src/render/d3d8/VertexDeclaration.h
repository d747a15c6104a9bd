// The vertex declarations of the Direct3D 8 polygon drawing: one per set of attribute streams a cache
// holds (index = normals 1 + colours 2 + texture coordinates 0 4 + texture coordinates 1 8), made on first
// use and shared by every cache. Streams: 0 positions, 1 normals, 2 colours, 3 and 4 texture coordinates.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM {

inline constexpr uint32_t kDeclarationNormals = 1, kDeclarationColors = 2, kDeclarationTexCoords0 = 4,
                          kDeclarationTexCoords1 = 8;
inline constexpr uint32_t kDeclarationCount = 16;
inline constexpr int kMaxDeclarationTokens = 11;  // five streams of two tokens and the end

// Writes the tokens of declaration `index` (0..15) ending with D3DVSD_END; the number of tokens.
int BuildVertexDeclaration(uint32_t index, DWORD out[kMaxDeclarationTokens]);

}  // namespace PM
