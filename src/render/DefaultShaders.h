// Ready-made shader set-ups that give geometry a plain colour or an image without a script, and the
// read-back of the interesting object of such a set-up.
#pragma once

#include "core/Obj.h"
#include "core/String.h"
#include "core/Vector4f.h"

namespace PM {

class ScriptObject;

// A RenderShader named `name` over a ShaderPhong ("_Phong") with a RenderMaterial ("_Material") whose
// ambient and diffuse colours are color's x, y, z and whose transparency is 1 - w; culling is off.
Obj<ScriptObject> CreateDefaultShader(const String& name, const Vector4f& color);
// A RenderShader named `name` over a ShaderPhong whose colour is a ShaderTexture ("_ShaderTexture") of
// a Texture2D, or a TileTexture2D when tiled ("_Texture"), reading fileName through a FileObject
// ("_FileObject"). An overlay draws unlit, without culling, depth test or depth write.
Obj<ScriptObject> CreateTexturedShader(const String& name, const String& fileName, bool overlay, bool tiled);
// shader.Surface.Color.Texture and shader.Surface.Material, read without type tests: a set-up of
// another shape answers nil through the logged invalid-member access.
Obj<ScriptObject> GetShaderTexture(ScriptObject* shader);
Obj<ScriptObject> GetShaderMaterial(ScriptObject* shader);

}  // namespace PM
