// The ready-made shader set-ups: their objects, names and member values, and the read-back chains.
#include "render/DefaultShaders.h"
#include "scene/EngineWorld.h"
#include "scene/FileObject.h"

namespace PM::Test {
namespace {

constexpr uint32_t kSurface = 0x01FFF082, kLightEnable = 0x03FFF082, kDepthTestEnable = 0x04FFF082,
                   kCullEnable = 0x05FFF082, kDepthWriteEnable = 0x06FFF082, kPhongColor = 0x01FFF084,
                   kPhongMaterial = 0x05FFF084, kTextureFileObject = 0x01FFF08B, kTexture = 0x01FFF085,
                   kTexCoordSource = 0x02FFF085;

using DefaultShadersTest = EngineWorldTest;

std::string NameOf(ScriptObject* o) { return MemberGet<VString>(o, kMemberObjectName).CStr(); }

TEST_F(DefaultShadersTest, DefaultShaderCarriesTheColourInItsMaterial) {
  Obj<ScriptObject> shader = CreateDefaultShader("Red", {1, 0, 0, 0.25f});
  EXPECT_EQ(shader->GetClassID(), 0xFFFFF082u);
  ScriptObject* phong = MemberGet<VObject>(shader, kSurface);
  ScriptObject* material = MemberGet<VObject>(phong, kPhongMaterial);
  EXPECT_EQ(phong->GetClassID(), 0xFFFFF084u);
  EXPECT_EQ(material->GetClassID(), 0xFFFFF089u);
  EXPECT_EQ(NameOf(shader) + " " + NameOf(phong) + " " + NameOf(material), "Red Red_Phong Red_Material");
  EXPECT_EQ(MemberGet<VVector3f>(material, 0x01FFF089), (Vector3f{1, 0, 0}));
  EXPECT_EQ(MemberGet<VVector3f>(material, 0x02FFF089), (Vector3f{1, 0, 0}));
  EXPECT_EQ(MemberGet<VF32>(material, 0x06FFF089), 0.75f);
  EXPECT_FALSE(MemberGet<VBool>(shader, kCullEnable));
  for (uint32_t m : {kLightEnable, kDepthTestEnable, kDepthWriteEnable}) EXPECT_TRUE(MemberGet<VBool>(shader, m));
  EXPECT_EQ(GetShaderMaterial(shader).Get(), material);
  EXPECT_EQ(TakeLog(), "");
  // The phong has no colour: the texture chain ends in the invalid-access stub of nil.
  EXPECT_TRUE(GetShaderTexture(shader).IsNil());
  EXPECT_NE(TakeLog(), "");
}

TEST_F(DefaultShadersTest, TexturedShaderNamesAndWiresItsObjects) {
  struct Case {
    bool overlay, tiled;
    uint32_t textureClass;
  } cases[] = {{false, false, 0xFFFFF08C}, {true, true, 0xFFFFF088}};
  for (const Case& c : cases) {
    Obj<ScriptObject> shader = CreateTexturedShader("Box", "crate.png", c.overlay, c.tiled);
    ScriptObject* phong = MemberGet<VObject>(shader, kSurface);
    ScriptObject* surface = MemberGet<VObject>(phong, kPhongColor);
    ScriptObject* texture = MemberGet<VObject>(surface, kTexture);
    ScriptObject* file = MemberGet<VObject>(texture, kTextureFileObject);
    EXPECT_EQ(NameOf(shader) + " " + NameOf(phong) + " " + NameOf(file) + " " + NameOf(texture) + " " + NameOf(surface),
              "Box Box_Phong Box_FileObject Box_Texture Box_ShaderTexture");
    EXPECT_EQ(texture->GetClassID(), c.textureClass);
    EXPECT_EQ(surface->GetClassID(), 0xFFFFF085u);
    EXPECT_STREQ(MemberGet<VString>(file, kMemberFileObjectFileName).CStr(), "crate.png");
    EXPECT_EQ(MemberGet<VI32>(surface, kTexCoordSource), 0);
    // An overlay draws unlit, without culling, depth test or depth write.
    for (uint32_t m : {kCullEnable, kLightEnable, kDepthTestEnable, kDepthWriteEnable})
      EXPECT_EQ(MemberGet<VBool>(shader, m), !c.overlay) << std::hex << m;
    EXPECT_EQ(GetShaderTexture(shader).Get(), texture);
    EXPECT_TRUE(GetShaderMaterial(shader).IsNil());  // no material is made
    EXPECT_EQ(TakeLog(), "");
  }
}

TEST_F(DefaultShadersTest, ReadBackOfNoShaderIsNil) {
  Obj<ScriptObject> notAShader = Make("RenderMaterial");
  for (ScriptObject* s : {static_cast<ScriptObject*>(nullptr), NilScriptObject(), notAShader.Get()}) {
    EXPECT_TRUE(GetShaderTexture(s).IsNil());
    EXPECT_TRUE(GetShaderMaterial(s).IsNil());
  }
  EXPECT_NE(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
