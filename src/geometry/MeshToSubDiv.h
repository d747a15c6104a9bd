// The conversion of a mesh (structure and data) into the base level of a subdivision structure and the
// vertex set that goes with it, with texture seams split into separate vertices.
#pragma once

#include "core/String.h"
#include "geometry/MeshData.h"
#include "geometry/MeshStructure.h"
#include "geometry/SubDivData.h"

namespace PM {

// Fills `target` and `data` afresh. Polygons that are not triangles or quads, or that reach outside
// the mesh's arrays, are logged with `name` and kept as invalid faces (every edge reference -2).
void AssignMeshToSubDiv(const MeshStructure_I& mesh, const MeshData_I& meshData, SubDivStructure& target,
                        SubDivData& data, const String& name);

}  // namespace PM
