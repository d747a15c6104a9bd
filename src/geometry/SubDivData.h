// SubDivData: the vertex set that travels with a subdivision structure: positions, normals and the
// per-vertex channels of the mesh, the base faces' corner vertices and shaders, and the per-shader
// vertex lists of the geometry built from it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Array.h"
#include "core/Obj.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "geometry/SubDivStructure.h"
#include "script/object/ScriptObject.h"

namespace PM {

struct SubDivData {
  // Chain entries: a vertex no corner has used yet, and a used vertex without a copy.
  static constexpr int32_t kUnused = -2, kNoCopy = -1;

  int32_t vertexCount = 0;
  Array<Vector3f> positions;
  Array<Vector3f> normals;
  std::vector<Array<float>> floatChannels;        // by slot (usage kind 8)
  std::vector<Array<Vector3f>> vectorChannels;    // by slot (usage kind 10): morph deltas
  std::vector<Array<Vector3f>> normalDeltas;      // parallel to vectorChannels; empty when not computed
  std::vector<Array<Vector2f>> texCoordChannels;  // one per usage-kind-1 channel, in order
  std::vector<Array<Vector4f>> colorChannels;
  Array<SubDivFaceAttribute> corners;  // per base face: the output vertex of each corner
  Array<int32_t> faceShaders;          // per base face
  Array<int32_t> chain;                // per output vertex: kUnused, kNoCopy or the next copy
  std::vector<Obj<ScriptObject>> shaders;
  std::vector<Obj<ScriptObject>> vectorSources;  // by slot: what weighs each morph channel
  std::vector<Array<int32_t>> shaderVertices;    // per shader: the level point of each local vertex

  // Appends a copy of vertex v in every array that holds it, links it as v's next copy and returns it.
  int32_t DuplicateVertex(int32_t v);
  // The output vertex of source vertex v with texture coordinates `wanted` (one per channel): an
  // existing copy with exactly those coordinates, else a new one linked after the last copy.
  int32_t AddVertexUnique(int32_t v, Array<int32_t>& first, Array<int32_t>& next, const Vector2f* wanted,
                          const SubDivData& source, Array<int32_t>& sourceOf);
  // Appends vertex v of `other` with every value it holds; returns the new index.
  int32_t AppendVertexFrom(const SubDivData& other, int32_t v);
  bool VerticesEqual(int32_t i, int32_t j) const;
  // Vertices from 1 up equal to some earlier vertex.
  int32_t CountDuplicates() const;
  // The number of vertices the position array holds.
  int32_t Count() const { return positions.Count(); }

  // Appends vertex v of `from` (positions, normals and every channel but the texture coordinates).
  void AppendShared(const SubDivData& from, int32_t v);
};

}  // namespace PM
