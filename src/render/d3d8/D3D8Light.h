// The Direct3D 8 light a scene light becomes: white directional along +z without a light node; else the
// node's colour, and from the light's matrix the direction (its normalised z row, sent negated, for a
// directional light) or the position (its translation row, for the other types, drawn as point lights).
#pragma once

#include "core/Matrix4f.h"
#include "platform/d3d8/D3D8.h"

namespace PM {

class ScriptObject;

D3DLIGHT8 MakeD3DLight(const Matrix4f* lightMatrix, ScriptObject* light);

}  // namespace PM
