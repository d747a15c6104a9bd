#include "render/DefaultShaders.h"

#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/TileTexture2D.h"
#include "scene/FileObject.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

enum : uint32_t {
  kShaderSurface = 0x01FFF082,
  kShaderLightEnable = 0x03FFF082,
  kShaderDepthTestEnable = 0x04FFF082,
  kShaderCullEnable = 0x05FFF082,
  kShaderDepthWriteEnable = 0x06FFF082,
  kPhongColor = 0x01FFF084,
  kPhongMaterial = 0x05FFF084,
  kMaterialAmbientColor = 0x01FFF089,
  kMaterialDiffuseColor = 0x02FFF089,
  kMaterialTransparency = 0x06FFF089,
  kTextureFileObject = 0x01FFF08B,
  kShaderTextureTexture = 0x01FFF085,
  kShaderTextureTexCoordSource = 0x02FFF085,
};

// A new object of the class named base + suffix.
Obj<ScriptObject> MakeNamed(uint32_t classId, const String& base, const char* suffix) {
  Obj<ScriptObject> o(ScriptObject::Create(classId));
  MemberSet<VString>(o, kMemberObjectName, String::FromConcatCStr(base, suffix));
  return o;
}

ScriptObject* Borrowed(ScriptObject* o) { return o ? o : NilScriptObject(); }

}  // namespace

Obj<ScriptObject> CreateDefaultShader(const String& name, const Vector4f& color) {
  Obj<ScriptObject> shader = MakeNamed(RenderShader_I::kClassId, name, "");
  Obj<ScriptObject> phong = MakeNamed(ShaderPhong_I::kClassId, name, "_Phong");
  Obj<ScriptObject> material = MakeNamed(RenderMaterial_I::kClassId, name, "_Material");
  const Vector3f rgb{color.x, color.y, color.z};
  MemberSet<VVector3f>(material, kMaterialAmbientColor, rgb);
  MemberSet<VVector3f>(material, kMaterialDiffuseColor, rgb);
  MemberSet<VF32>(material, kMaterialTransparency, 1.0f - color.w);
  MemberSet<VObject>(shader, kShaderSurface, phong);
  MemberSet<VObject>(phong, kPhongMaterial, material);
  MemberSet<VBool>(shader, kShaderCullEnable, false);
  return shader;
}

Obj<ScriptObject> CreateTexturedShader(const String& name, const String& fileName, bool overlay, bool tiled) {
  Obj<ScriptObject> shader = MakeNamed(RenderShader_I::kClassId, name, "");
  Obj<ScriptObject> phong = MakeNamed(ShaderPhong_I::kClassId, name, "_Phong");
  Obj<ScriptObject> file = MakeNamed(FileObject_I::kClassId, name, "_FileObject");
  MemberSet<VString>(file, kMemberFileObjectFileName, fileName);
  Obj<ScriptObject> texture = MakeNamed(tiled ? TileTexture2D_I::kClassId : Texture2D_I::kClassId, name, "_Texture");
  MemberSet<VObject>(texture, kTextureFileObject, file);
  Obj<ScriptObject> surface = MakeNamed(ShaderTexture_I::kClassId, name, "_ShaderTexture");
  MemberSet<VObject>(surface, kShaderTextureTexture, texture);
  MemberSet<VI32>(surface, kShaderTextureTexCoordSource, 0);
  MemberSet<VObject>(shader, kShaderSurface, phong);
  MemberSet<VObject>(phong, kPhongColor, surface);
  const bool solid = !overlay;
  for (uint32_t member : {kShaderCullEnable, kShaderLightEnable, kShaderDepthTestEnable, kShaderDepthWriteEnable})
    MemberSet<VBool>(shader, member, solid);
  return shader;
}

Obj<ScriptObject> GetShaderTexture(ScriptObject* shader) {
  ScriptObject* surface = MemberGet<VObject>(Borrowed(shader), kShaderSurface);
  ScriptObject* color = MemberGet<VObject>(surface, kPhongColor);
  return Obj<ScriptObject>(MemberGet<VObject>(color, kShaderTextureTexture));
}

Obj<ScriptObject> GetShaderMaterial(ScriptObject* shader) {
  ScriptObject* surface = MemberGet<VObject>(Borrowed(shader), kShaderSurface);
  return Obj<ScriptObject>(MemberGet<VObject>(surface, kPhongMaterial));
}

}  // namespace PM
