// The usage words of VertexData streams: which kinds of per-vertex stream the drawing code reads
// (texture coordinates, colours, joint weights, blend deltas), the class each must be and what its slot
// counts. The code takes its kinds from here, and the class reference shows the table.
#pragma once

#include <cstdint>

#include "classes/EngineClassIds.h"

namespace PM {

// Kinds: the high half of a usage word.
enum VertexUsageKind : uint32_t {
  kVertexUsageTexCoords = 1,
  kVertexUsageColors = 2,
  kVertexUsageJointWeights = 8,
  kVertexUsagePositionDeltas = 10,
  kVertexUsageNormalDeltas = 11,
  kVertexUsageTexCoordDeltas = 12,
};

// Kinds 0 to 12 are sorted into a geometry's usage tables; a word of a higher kind is ignored.
constexpr uint32_t kVertexUsageKindCount = 13;

// A stream's usage word: kind << 16 | slot.
constexpr uint32_t VertexUsageWord(uint32_t kind, uint32_t slot) { return kind << 16 | slot; }

struct VertexUsageRow {
  VertexUsageKind kind;
  const char* slot;     // the letter the slot is written as; null when only slot 0 is read
  const char* counts;   // what the slot counts
  const char* element;  // what each element of DataArray holds, and what reads it
  uint32_t classId;     // the VertexData class the stream must be
};

inline constexpr VertexUsageRow kVertexUsages[] = {
    {kVertexUsageTexCoords, "n", "the texture coordinate set",
     "texture coordinates (u, v), read by a ShaderTexture whose TexCoordSource is n", ClassId::VertexDataVector2f},
    {kVertexUsageColors, nullptr, "", "colour (r, g, b, a) from 0 to 1, drawn by the shader's base pass",
     ClassId::VertexDataVector4f},
    {kVertexUsageJointWeights, "j", "the joint", "weight of joint j (entry j of the TSkinPolygonGeometry's Joint)",
     ClassId::VertexDataF32},
    {kVertexUsagePositionDeltas, "k", "the blend", "position delta, weighted by entry k of BlendControl",
     ClassId::VertexDataVector3f},
    {kVertexUsageNormalDeltas, "k", "the blend", "normal delta, weighted by entry k of BlendControl",
     ClassId::VertexDataVector3f},
    {kVertexUsageTexCoordDeltas, "k", "the texture blend",
     "texture-coordinate delta, weighted by entry k of BlendTexCoordControl", ClassId::VertexDataVector2f},
};

}  // namespace PM
