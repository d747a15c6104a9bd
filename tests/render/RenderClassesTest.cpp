// The render classes in the engine class table: ids, bases, member counts, member records, enum values,
// factories and field-backed members.
#include "support/EngineClassWorld.h"

#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "render/TransformLayer.h"

namespace PM::Test {
namespace {

constexpr uint32_t kObject = 0xFFFFF040;

const ClassExpectation kRenderClasses[] = {
    {0xFFFFF080, kObject, "RenderPipe", 28, true},      {0xFFFFF081, kObject, "RenderChannel", 21, true},
    {0xFFFFF082, kObject, "RenderShader", 10, true},    {0xFFFFF083, kObject, "ShaderExpression", 0, false},
    {0xFFFFF084, 0xFFFFF083, "ShaderPhong", 5, true},   {0xFFFFF087, 0xFFFFF083, "ShaderProgram", 4, true},
    {0xFFFFF085, 0xFFFFF083, "ShaderTexture", 3, true}, {0xFFFFF086, 0xFFFFF083, "ShaderLayer", 1, true},
    {0xFFFFF08B, kObject, "Texture", 8, false},         {0xFFFFF08C, 0xFFFFF08B, "Texture2D", 2, true},
    {0xFFFFF088, 0xFFFFF08C, "TileTexture2D", 1, true}, {0xFFFFF08D, 0xFFFFF08C, "FontTexture2D", 9, true},
    {0xFFFFF10B, kObject, "Texture2DVideo", 4, true},   {0xFFFFF08A, kObject, "Image", 0, true},
    {0xFFFFF0B0, kObject, "ExpressionLayer", 0, false}, {0xFFFFF0B1, 0xFFFFF0B0, "ImageLayer", 3, true},
    {0xFFFFF0B2, 0xFFFFF0B1, "GroupLayer", 1, true},    {0xFFFFF0B3, 0xFFFFF0B0, "TransformLayer", 14, true},
    {0xFFFFF089, kObject, "RenderMaterial", 6, true},   {0xFFFFF0FE, kObject, "VertexGenerator", 0, false},
};

using RenderClassesTest = EngineClassWorld;

TEST_F(RenderClassesTest, ClassesHaveTheirIdsBasesMemberCountsAndFactories) {
  EXPECT_EQ(m_startLog.find("already exists"), std::string::npos) << m_startLog;
  ExpectClasses(kRenderClasses);
}

TEST_F(RenderClassesTest, MemberRecordsCarryTheirNamesFlagsAndValueTypes) {
  ExpectMember(0x01FFF080, "RenderEngineType", 0x0, kClassString);
  ExpectMember(0x1CFFF080, "SwapRateLimit", 0x0, kClassF32);
  ExpectMember(0x01FFF081, "SceneRoot", 0x1200, kClassScriptObject);
  ExpectMember(0x0CFFF081, "DepthClearValue", 0x0, kClassF64);
  ExpectMember(0x0EFFF081, "StencilClearValue", 0x0, kClassU32);
  ExpectMember(0x04FFF087, "TextureArray", 0x2600, kClassScriptObject);
  ExpectMember(0x01FFF086, "Layer", 0x2600, kClassScriptObject);
  ExpectMember(0x07FFF08B, "MinFilter", 0x0, kClassEnum);
  ExpectMember(0x01FFF088, "TileTexCoordArray", 0x800, kClassVector2f);
  ExpectMember(0x01FFF10B, "VideoLength", 0x5, kClassF64);
  ExpectMember(0x04FFF10B, "VideoDimension", 0x5, kClassVector2f);
  ExpectMember(0x01FFF0B2, "LayerArray", 0x2600, kClassScriptObject);
  ExpectMember(0x0EFFF0B3, "ColorCurveRGB", 0x800, kClassVector2f);
  ExpectMember(0x06FFF089, "Transparency", 0x0, kClassF32);
  // Derived classes answer their bases' members by the declaring class's id.
  EXPECT_EQ(FindMemberID(0xFFFFF088, "WrapU"), 0x01FFF08Cu);
  EXPECT_EQ(FindMemberID(0xFFFFF088, "MipMapEnable"), 0x03FFF08Bu);
  EXPECT_EQ(FindMemberID(0xFFFFF0B2, "Dimension"), 0x02FFF0B1u);
  EXPECT_EQ(FindMemberID(0xFFFFF084, "Name"), 0x01FFF040u);
}

TEST_F(RenderClassesTest, CombineModeEnumFollowsTransformLayer) {
  ExpectEnum(0xFFFFF0B4, "TransformLayer", "CombineModeEnum",
             {"Replace", "Blend", "Multiply", "Add", "Subtract", "Difference", "AlphaAdd"});
  EXPECT_EQ(FindClassID("TransformLayer.CombineModeEnum"), 0xFFFFF0B4u);
  EXPECT_EQ(FindMemberID(0xFFFFF0B4, "AlphaAdd"), 0x07FFF0B4u);
}

TEST_F(RenderClassesTest, FreshObjectsHoldTheirDefaults) {
  Obj<ScriptObject> shader = ScriptObject::Create(RenderShader_I::kClassId);
  EXPECT_EQ(MemberGet<VI32>(shader, 0x02FFF082), 16);
  EXPECT_TRUE(MemberGet<VBool>(shader, 0x03FFF082));
  EXPECT_EQ(MemberGet<VI32>(shader, 0x09FFF082), 1);
  EXPECT_TRUE(MemberGet<VObject>(shader, 0x01FFF082) == NilScriptObject());

  Obj<ScriptObject> tile = ScriptObject::Create(0xFFFFF088);
  EXPECT_EQ(MemberGet<VEnum>(tile, 0x01FFF08C), 0x02FFF0ACu);  // Repeat
  EXPECT_EQ(MemberGet<VEnum>(tile, 0x07FFF08B), 0x02FFF0AFu);  // Linear
  EXPECT_EQ(MemberSize(tile, 0x01FFF088), 0);

  Obj<ScriptObject> font = ScriptObject::Create(FontTexture2D_I::kClassId);
  String map = MemberGet<VString>(font, 0x08FFF08D);
  EXPECT_EQ(map.Length(), 103);
  EXPECT_EQ(String::Compare(MemberGet<VString>(font, 0x01FFF08D), String("Tahoma")), 0);

  Obj<ScriptObject> layer = ScriptObject::Create(TransformLayer_I::kClassId);
  EXPECT_EQ(MemberGet<VEnum>(layer, 0x03FFF0B3), uint32_t(TransformLayer_I::kCombineReplace));
  EXPECT_EQ(MemberGet<VVector4f>(layer, 0x08FFF0B3).w, 1.0f);
}

TEST_F(RenderClassesTest, EveryValueTypeAndFormIsStoredAndReadBack) {
  Obj<ScriptObject> pipe = ScriptObject::Create(0xFFFFF080);
  Obj<ScriptObject> channel = ScriptObject::Create(0xFFFFF081);
  MemberSet<VString>(pipe, 0x12FFF080, String("Main"));
  MemberSet<VBool>(pipe, 0x02FFF080, true);
  MemberSet<VVector2f>(pipe, 0x03FFF080, Vector2f{800, 600});
  MemberSet<VF32>(pipe, 0x04FFF080, 75.0f);
  MemberSet<VI32>(pipe, 0x06FFF080, 32);
  MemberSet<VU32>(channel, 0x11FFF081, 0x5u);
  MemberSet<VF64>(channel, 0x0CFFF081, 0.5);
  MemberSet<VVector3f>(channel, 0x08FFF081, Vector3f{1, 0, 0});
  MemberSet<VVector4f>(channel, 0x03FFF081, Vector4f{0, 0.5f, 0, 0.5f});
  EXPECT_EQ(String::Compare(MemberGet<VString>(pipe, 0x12FFF080), String("Main")), 0);
  EXPECT_TRUE(MemberGet<VBool>(pipe, 0x02FFF080));
  EXPECT_EQ(MemberGet<VVector2f>(pipe, 0x03FFF080).y, 600.0f);
  EXPECT_EQ(MemberGet<VF32>(pipe, 0x04FFF080), 75.0f);
  EXPECT_EQ(MemberGet<VI32>(pipe, 0x06FFF080), 32);
  EXPECT_EQ(MemberGet<VU32>(channel, 0x11FFF081), 0x5u);
  EXPECT_EQ(MemberGet<VF64>(channel, 0x0CFFF081), 0.5);
  EXPECT_EQ(MemberGet<VVector3f>(channel, 0x08FFF081).x, 1.0f);
  EXPECT_EQ(MemberGet<VVector4f>(channel, 0x03FFF081).y, 0.5f);

  // A single reference, typed: another class is refused and nil stored.
  Obj<ScriptObject> shader = ScriptObject::Create(0xFFFFF082);
  Obj<ScriptObject> phong = ScriptObject::Create(0xFFFFF084);
  Obj<ScriptObject> material = ScriptObject::Create(0xFFFFF089);
  MemberSet<VObject>(shader, 0x01FFF082, phong);
  EXPECT_EQ(MemberGet<VObject>(shader, 0x01FFF082), phong.Get());
  MemberSet<VObject>(phong, 0x05FFF084, material);
  EXPECT_EQ(MemberGet<VObject>(phong, 0x05FFF084), material.Get());
  MemberSet<VObject>(shader, 0x01FFF082, material);
  EXPECT_TRUE(MemberGet<VObject>(shader, 0x01FFF082) == NilScriptObject());
  EXPECT_NE(TakeLog(), "");

  // Indexed references grow on a set past the end.
  Obj<ScriptObject> group = ScriptObject::Create(0xFFFFF086);
  MemberSetAt<VObject>(group, 0x01FFF086, 3, phong);
  EXPECT_EQ(MemberSize(group, 0x01FFF086), 4);
  EXPECT_TRUE(MemberGetAt<VObject>(group, 0x01FFF086, 0) == NilScriptObject());
  EXPECT_EQ(MemberGetAt<VObject>(group, 0x01FFF086, 3), phong.Get());
  MemberRemove(group, 0x01FFF086, 0, -1);
  EXPECT_EQ(MemberSize(group, 0x01FFF086), 0);

  // An array member is read and written whole.
  Obj<ScriptObject> tile = ScriptObject::Create(0xFFFFF088);
  Array<Vector2f> coords{{0, 0}, {0.5f, 0.5f}};
  MemberSetArray<VVector2f>(tile, 0x01FFF088, coords);
  EXPECT_EQ(MemberSize(tile, 0x01FFF088), 2);
  EXPECT_EQ(MemberGetArray<VVector2f>(tile, 0x01FFF088)[1].x, 0.5f);

  // An enum member holds the value's member id.
  MemberSet<VEnum>(tile, 0x01FFF08C, 0x01FFF0AC);
  EXPECT_EQ(MemberGet<VEnum>(tile, 0x01FFF08C), 0x01FFF0ACu);
}

TEST_F(RenderClassesTest, VideoLengthAndDimensionAreReadOnlyWhilePositionAndPauseAreWritable) {
  Obj<ScriptObject> video = ScriptObject::Create(0xFFFFF10B);
  MemberSet<VF64>(video, 0x01FFF10B, 12.0);
  MemberSet<VVector2f>(video, 0x04FFF10B, Vector2f{320, 240});
  EXPECT_EQ(MemberGet<VF64>(video, 0x01FFF10B), -1.0);
  EXPECT_EQ(MemberGet<VVector2f>(video, 0x04FFF10B).x, 0.0f);
  EXPECT_NE(TakeLog(), "");
  // Position and pause are the decoder's: writable, but without decoder they read -1.0 and false.
  MemberSet<VF64>(video, 0x02FFF10B, 3.5);
  MemberSet<VBool>(video, 0x03FFF10B, true);
  EXPECT_EQ(MemberGet<VF64>(video, 0x02FFF10B), -1.0);
  EXPECT_FALSE(MemberGet<VBool>(video, 0x03FFF10B));
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
