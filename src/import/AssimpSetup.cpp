#include "import/AssimpSetup.h"

#include <assimp/config.h>
#include <assimp/mesh.h>
#include <assimp/postprocess.h>
#include <assimp/Importer.hpp>

namespace PM::Import {

unsigned ReaderPostProcessing() {
  // Validation catches scenes that "succeed" with null nodes or out-of-range indices (the reader runs it
  // apart, first, after mending what the file plainly means: SceneMending). Every mesh
  // ends with one primitive type (triangles, lines or points), normals where the file has none, and no
  // duplicate vertices; UV mappings other than UV are baked, UV transforms applied, and invalid normals
  // or UVs dropped (so that normals are generated instead).
  return aiProcess_ValidateDataStructure | aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenSmoothNormals |
         aiProcess_JoinIdenticalVertices | aiProcess_RemoveComponent | aiProcess_GenUVCoords |
         aiProcess_TransformUVCoords | aiProcess_FindInvalidData;
}

void ConfigureImporter(Assimp::Importer& importer) {
  // The scene record keeps two texture-coordinate sets and one colour set: the rest go before vertices are
  // joined, so that they do not keep apart vertices that end up the same. Assimp's flags name colour sets
  // 0 to 4 (bits 20 to 24) and texture-coordinate sets 0 to 6 (bits 25 to 31) only.
  unsigned dropped = aiComponent_TANGENTS_AND_BITANGENTS;
  for (unsigned n = 2; n < 7; ++n) dropped |= aiComponent_TEXCOORDSn(n);
  for (unsigned n = 1; n < 5; ++n) dropped |= aiComponent_COLORSn(n);
  importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS, static_cast<int>(dropped));
}

}  // namespace PM::Import
