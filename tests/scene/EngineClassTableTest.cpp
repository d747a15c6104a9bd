// The engine class table as a whole: counts, parents, factories, ids, enum types.
#include <map>
#include <vector>

#include "EngineWorld.h"

namespace PM::Test {
namespace {

struct ClassRowDef {
  uint32_t index;
  const char* name;
  const char* parent;
  bool concrete;
  int ownMembers;
};

// The engine classes in definition order.
const ClassRowDef kClasses[] = {
    {0x040, "Object", "ScriptObject", true, 1},
    {0x041, "FileObject", "Object", true, 1},
    {0x042, "SNode", "Object", false, 2},
    {0x043, "TNode", "Object", false, 6},
    {0x044, "SLeaf", "SNode", false, 0},
    {0x045, "TLeaf", "TNode", false, 0},
    {0x046, "SBranch", "SNode", false, 0},
    {0x047, "TBranch", "TNode", false, 1},
    {0x048, "SBaseTransform", "SBranch", false, 1},
    {0x049, "TBaseTransform", "TBranch", false, 6},
    {0x04A, "SSimpleTransform", "SBaseTransform", true, 13},
    {0x04B, "TSimpleTransform", "TBaseTransform", true, 0},
    {0x04C, "STransform", "SSimpleTransform", true, 6},
    {0x04D, "TTransform", "TSimpleTransform", true, 0},
    {0x0C1, "SClusterHandle", "STransform", true, 1},
    {0x0C0, "TClusterHandle", "TTransform", true, 0},
    {0x04E, "SJoint", "SSimpleTransform", true, 5},
    {0x04F, "TJoint", "TSimpleTransform", true, 1},
    {0x050, "SIKEffector", "STransform", true, 0},
    {0x051, "TIKEffector", "TTransform", true, 1},
    {0x052, "SIKHandle", "STransform", true, 4},
    {0x053, "TIKHandle", "TTransform", true, 2},
    {0x0F4, "SIKSplineHandle", "SIKHandle", true, 0},
    {0x0F5, "TIKSplineHandle", "TIKHandle", true, 2},
    {0x0F2, "SSplineCurve", "SLeaf", true, 2},
    {0x0F3, "TSplineCurve", "TLeaf", true, 0},
    {0x054, "SCamera", "SLeaf", true, 5},
    {0x055, "TCamera", "TLeaf", true, 0},
    {0x056, "SLight", "SLeaf", true, 2},
    {0x057, "TLight", "TLeaf", true, 0},
    {0x07E, "SFog", "SLeaf", true, 5},
    {0x07F, "TFog", "TLeaf", true, 0},
    {0x058, "SLODGroup", "SBranch", true, 1},
    {0x059, "TLODGroup", "TBranch", true, 0},
    {0x05A, "Constraint", "Object", false, 5},
    {0x05D, "AimConstraint", "Constraint", true, 6},
    {0x05B, "TransformConstraint", "Constraint", true, 2},
    {0x05E, "PoleVectorConstraint", "Constraint", true, 0},
    {0x060, "SGeometry", "SLeaf", false, 0},
    {0x061, "TGeometry", "TLeaf", false, 5},
    {0x062, "SSpriteGeometry", "SGeometry", true, 9},
    {0x063, "TSpriteGeometry", "TGeometry", true, 0},
    {0x0FC, "SChannelFX", "SGeometry", true, 6},
    {0x0FD, "TChannelFX", "TGeometry", true, 0},
    {0x0F6, "SInstancer", "SNode", true, 3},
    {0x0F7, "TInstancer", "TNode", true, 1},
    {0x064, "SLensflare", "SSpriteGeometry", true, 2},
    {0x065, "TLensflare", "TSpriteGeometry", true, 0},
    {0x066, "SParticles", "SLeaf", true, 6},
    {0x067, "TParticles", "TLeaf", true, 3},
    {0x068, "SEmitter", "SLeaf", true, 9},
    {0x069, "TEmitter", "TLeaf", true, 0},
    {0x06A, "SField", "SLeaf", false, 4},
    {0x06B, "TField", "TLeaf", false, 0},
    {0x06C, "SGravityField", "SField", true, 1},
    {0x06D, "TGravityField", "TField", true, 0},
    {0x06E, "SRadialField", "SField", true, 1},
    {0x06F, "TRadialField", "TField", true, 0},
    {0x074, "SContainer", "SLeaf", true, 1},
    {0x075, "TContainer", "TLeaf", true, 0},
    {0x070, "SSoundEmitter", "SLeaf", true, 1},
    {0x071, "TSoundEmitter", "TLeaf", true, 12},
    {0x072, "SSoundReceiver", "SLeaf", true, 0},
    {0x073, "TSoundReceiver", "TLeaf", true, 0},
    {0x076, "SPolygonGeometry", "SGeometry", true, 8},
    {0x077, "TPolygonGeometry", "TGeometry", true, 0},
    {0x078, "SSkinPolygonGeometry", "SPolygonGeometry", true, 6},
    {0x079, "TSkinPolygonGeometry", "TPolygonGeometry", true, 1},
    {0x07A, "SMetaballs", "SPolygonGeometry", true, 0},
    {0x07B, "TMetaballs", "TPolygonGeometry", true, 0},
    {0x0FA, "SMeshGroup", "SBranch", true, 0},
    {0x0FB, "TMeshGroup", "TBranch", true, 10},
    {0x080, "RenderPipe", "Object", true, 28},
    {0x081, "RenderChannel", "Object", true, 21},
    {0x082, "RenderShader", "Object", true, 10},
    {0x083, "ShaderExpression", "Object", false, 0},
    {0x084, "ShaderPhong", "ShaderExpression", true, 5},
    {0x087, "ShaderProgram", "ShaderExpression", true, 4},
    {0x085, "ShaderTexture", "ShaderExpression", true, 3},
    {0x086, "ShaderLayer", "ShaderExpression", true, 1},
    {0x08B, "Texture", "Object", false, 8},
    {0x08C, "Texture2D", "Texture", true, 2},
    {0x088, "TileTexture2D", "Texture2D", true, 1},
    {0x08D, "FontTexture2D", "Texture2D", true, 9},
    {0x10B, "Texture2DVideo", "Object", true, 4},
    {0x08A, "Image", "Object", true, 0},
    {0x0B0, "ExpressionLayer", "Object", false, 0},
    {0x0B1, "ImageLayer", "ExpressionLayer", true, 3},
    {0x0B2, "GroupLayer", "ImageLayer", true, 1},
    {0x0B3, "TransformLayer", "ExpressionLayer", true, 14},
    {0x089, "RenderMaterial", "Object", true, 6},
    {0x08E, "BlendControl", "Object", true, 2},
    {0x0F0, "ParentControl", "Object", true, 3},
    {0x0F1, "ParentManager", "Object", true, 3},
    {0x0C2, "PoseBlend", "Object", true, 5},
    {0x08F, "SpriteAppearances", "Object", true, 7},
    {0x090, "AnimationClip", "Object", true, 14},
    {0x091, "AnimationClipEvent", "AnimationClip", true, 0},
    {0x092, "AnimationLibrary", "Object", true, 4},
    {0x093, "AnimationScheduler", "Object", true, 6},
    {0x094, "ConnectionGroup", "Object", true, 4},
    {0x095, "SplineBase", "Object", false, 1},
    {0x096, "SplineScalarf", "SplineBase", true, 3},
    {0x097, "SplineVector2f", "SplineBase", true, 3},
    {0x098, "SplineVector3f", "SplineBase", true, 3},
    {0x099, "SplineVector4f", "SplineBase", true, 3},
    {0x09A, "SplineQuaternionf", "SplineBase", true, 0},
    {0x0A0, "VertexData", "Object", false, 1},
    {0x0A1, "VertexDataF32", "VertexData", true, 1},
    {0x0A2, "VertexDataVector2f", "VertexData", true, 1},
    {0x0A3, "VertexDataVector3f", "VertexData", true, 1},
    {0x0A4, "VertexDataVector4f", "VertexData", true, 1},
    {0x0A5, "VertexDataMatrix4f", "VertexData", true, 1},
    {0x0F8, "MeshStructure", "Object", true, 5},
    {0x0F9, "MeshData", "Object", true, 12},
    {0x0FE, "VertexGenerator", "Object", false, 0},
    {0x0FF, "VertexGeneratorFG", "VertexGenerator", true, 12},
    {0x0EF, "FGData", "Object", true, 5},
};

struct EnumRowDef {
  uint32_t index;
  const char* key;
  int values;
};

const EnumRowDef kEnums[] = {
    {0x05C, "TransformConstraint.ConstraintTypeEnum", 4},
    {0x07D, "SLensflare.VisibilityModeEnum", 4},
    {0x0B4, "TransformLayer.CombineModeEnum", 7},
    {0x0C3, "PoseBlend.OperatorEnum", 5},
    {0x0A7, "Primitive.TypeEnum", 11},
    {0x0A8, "SSpriteGeometry.SpriteTypeEnum", 2},
    {0x0A9, "SSpriteGeometry.SpriteSortEnum", 2},
    {0x07C, "SParticles.LifespanModeEnum", 3},
    {0x0AA, "SEmitter.EmitterTypeEnum", 3},
    {0x0AB, "SEmitter.VolumeTypeEnum", 4},
    {0x0AC, "Texture.WrapModeEnum", 2},
    {0x0AF, "Texture.FilterModeEnum", 2},
    {0x0AD, "TNode.BoundingModeEnum", 3},
    {0x0AE, "SLight.TypeEnum", 3},
    {0x0BE, "SFog.TypeEnum", 3},
    {0x0BF, "SFog.DistanceTypeEnum", 2},
};

uint32_t IdOf(uint32_t index) { return ClassIdOfIndex(index); }

// Records a class owns (not its bases').
int OwnMembers(uint32_t classId) {
  const MemberTable* t = ValidTable(classId);
  int n = 0;
  for (uint32_t i = 1; t && i < kMaxMembers; ++i) n += t->records[i].id != 0;
  return n;
}

using EngineClassTableTest = EngineWorldTest;

TEST_F(EngineClassTableTest, StartUpReportsNoDuplicateAndNoLimit) {
  EXPECT_EQ(m_startLog.find("already exists"), std::string::npos) << m_startLog;
  EXPECT_EQ(m_startLog.find("exceeds defined limit"), std::string::npos) << m_startLog;
  EXPECT_EQ(m_startLog.find("no definition for class"), std::string::npos) << m_startLog;
  EXPECT_EQ(m_startLog.find("is not defined"), std::string::npos) << m_startLog;
}

TEST_F(EngineClassTableTest, EachClassHasItsNameParentFactoriesAndOwnMembers) {
  std::map<std::string, uint32_t> ids{{"ScriptObject", kClassScriptObject}};
  for (const ClassRowDef& c : kClasses) ids[c.name] = IdOf(c.index);
  for (const ClassRowDef& c : kClasses) {
    uint32_t id = IdOf(c.index);
    ASSERT_TRUE(ClassExists(id)) << c.name;
    const MemberTable* t = ValidTable(id);
    EXPECT_STREQ(t->name, c.name);
    EXPECT_STREQ(t->nameSpace, "");
    EXPECT_EQ(t->kind, kClassKindObject) << c.name;
    EXPECT_EQ(t->baseId, ids[c.parent]) << c.name;
    EXPECT_EQ(t->factory != nullptr, c.concrete) << c.name;
    EXPECT_EQ(t->factoryExtra != nullptr, c.concrete) << c.name;
    EXPECT_NE(t->type, nullptr) << c.name;
    EXPECT_EQ(OwnMembers(id), c.ownMembers) << c.name;
    EXPECT_EQ(FindClassID(c.name), id) << c.name;
    // The base was defined first: its members are part of this class's row.
    if (ClassExists(ids[c.parent])) {
      EXPECT_TRUE(ClassRowOf(id)[ClassIndex(ids[c.parent])]->isValid) << c.name;
    }
  }
}

TEST_F(EngineClassTableTest, CountsAndFlagHistogramOfTheWholeTable) {
  EXPECT_EQ(std::size(kClasses), 118u);
  std::map<uint32_t, int> histogram;
  int members = 0, values = 0;
  auto tally = [&](uint32_t id) {
    const MemberTable* t = ValidTable(id);
    for (uint32_t i = 1; i < kMaxMembers; ++i) {
      const MemberRecord& r = t->records[i];
      if (!r.id) continue;
      ++histogram[r.flags & ~0x7u];
      (r.flags & kMemberEnumValue ? values : members)++;
      EXPECT_EQ(r.valid, 1u) << r.name;
    }
  };
  for (const ClassRowDef& c : kClasses) {
    ASSERT_TRUE(ClassExists(IdOf(c.index))) << c.name;
    tally(IdOf(c.index));
  }
  for (const EnumRowDef& e : kEnums) {
    ASSERT_TRUE(ClassExists(IdOf(e.index))) << e.key;
    tally(IdOf(e.index));
    EXPECT_EQ(ValidTable(IdOf(e.index))->kind, kClassKindEnum);
    EXPECT_EQ(OwnMembers(IdOf(e.index)), e.values) << e.key;
    EXPECT_EQ(FindClassID(e.key), IdOf(e.index)) << e.key;
  }
  EXPECT_EQ(members, 391);
  EXPECT_EQ(values, 60);
  // The forms as the member tables declare them (they add up to the 391 members; see docs/decisions/classes.md).
  EXPECT_EQ(histogram[0x0], 244);
  EXPECT_EQ(histogram[0x400], 27);
  EXPECT_EQ(histogram[0x800], 44);
  EXPECT_EQ(histogram[0x1200], 45);
  EXPECT_EQ(histogram[0x2600], 31);
  EXPECT_EQ(histogram[0x100], 60);
  EXPECT_EQ(histogram.size(), 6u);
}

TEST_F(EngineClassTableTest, ClassOrderListsEveryClassOnceWithPairsUnderTheirFirstClass) {
  std::vector<bool> listed(kMaxClasses);
  for (size_t i = 0; i < kEngineClassOrderCount; ++i) listed[kEngineClassOrder[i]] = true;
  int entries = 0;
  for (const ClassRowDef& c : kClasses) entries += listed[c.index];
  EXPECT_EQ(entries + 1, int(kEngineClassOrderCount));  // plus the enum group
  EXPECT_TRUE(listed[0x0C1]);                           // SClusterHandle before TClusterHandle 0x0C0
  EXPECT_FALSE(listed[0x0C0]);
}

TEST_F(EngineClassTableTest, AbstractClassesGiveNilConcreteOnesAnObjectOfTheirClass) {
  int abstract = 0;
  for (const ClassRowDef& c : kClasses) {
    uint32_t id = IdOf(c.index);
    ASSERT_TRUE(ClassExists(id)) << c.name;
    ASSERT_EQ(FindClassID(c.name), id) << c.name;
    Obj<ScriptObject> o(ScriptObject::Create(id));
    Obj<ScriptObject> extra(ScriptObject::CreateExtra(id, 16));
    if (!c.concrete) {
      ++abstract;
      EXPECT_TRUE(o.IsNil()) << c.name;
      EXPECT_TRUE(extra.IsNil()) << c.name;
      continue;
    }
    ASSERT_FALSE(o.IsNil()) << c.name;
    EXPECT_EQ(o->GetClassID(), id);
    EXPECT_EQ(extra->GetClassID(), id);
    EXPECT_EQ(HeaderOf(o.Get())->type, ValidTable(id)->type);
    // A T-node carries a fresh S-node of the class named alike.
    if (o->IsA(0xFFFFF043)) {
      std::string s = std::string("S") + (c.name + 1);
      ScriptObject* sn = MemberGet<VObject>(o, 0x01FFF043);
      EXPECT_EQ(sn->GetClassID(), FindClassID(s.c_str())) << c.name;
      EXPECT_EQ(MemberGet<VObject>(extra, 0x01FFF043)->GetClassID(), FindClassID(s.c_str())) << c.name;
    }
  }
  EXPECT_EQ(abstract, 19);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(EngineClassTableTest, EnumTypesOfThisTableHaveTheirIdsNamesAndOrder) {
  EXPECT_STREQ(MemberName(0x01FFF0AD), "BoundingDynamic");
  EXPECT_STREQ(MemberName(0x01FFF0A7), "Point");
  EXPECT_STREQ(MemberName(0x0BFFF0A7), "TriangleStripAndTriangles");
  EXPECT_STREQ(MemberName(0x04FFF07D), "IntersectTest");
  EXPECT_STREQ(ClassKeyName(0xFFFFF0AE), "SLight.TypeEnum");
  const MemberRecord* ambient = MemberRecordOf(0x03FFF0AE);
  ASSERT_NE(ambient, nullptr);
  EXPECT_STREQ(ambient->name, "Ambient");
  EXPECT_EQ(uint32_t(ambient->enumValue), 0x03FFF0AEu);
  EXPECT_EQ(ambient->flags, 0x100u);
  EXPECT_EQ(FindMemberID(0xFFFFF0AE, "Ambient"), 0x03FFF0AEu);
  EXPECT_EQ(FindMemberID(0xFFFFF0A7, "QuadStrip"), 0x08FFF0A7u);
}

TEST_F(EngineClassTableTest, SpotCheckedIdsFromEveryArea) {
  struct Spot {
    uint32_t id;
    const char* name;
    uint32_t flags;
    uint32_t valueType;
  };
  const Spot spots[] = {
      {0x01FFF040, "Name", 0x0, kClassString},
      {0x01FFF041, "FileName", 0x0, kClassString},
      {0x01FFF043, "SNode", 0x1200, kClassScriptObject},
      {0x02FFF043, "Parent", 0x1206, kClassScriptObject},
      {0x03FFF043, "ParentTransform", 0x1207, kClassScriptObject},
      {0x02FFF042, "VisibilityF32", 0x5, kClassF32},
      {0x01FFF047, "Child", 0x2601, kClassScriptObject},
      {0x01FFF048, "LocalMatrix", 0x5, kClassMatrix4f},
      {0x03FFF049, "ConstraintArray", 0x2600, kClassScriptObject},
      {0x06FFF04A, "RotationLimitEnableMask", 0x0, kClassU32},
      {0x01FFF04F, "IKDependency", 0x1203, kClassScriptObject},
      {0x02FFF0F5, "ClusterHandleArray", 0x2600, kClassScriptObject},
      {0x02FFF054, "FocalLength", 0x5, kClassF32},
      {0x02FFF056, "Type", 0x0, kClassEnum},
      {0x01FFF0F7, "InputNodeArray", 0x2600, kClassScriptObject},
      {0x01FFF061, "Shader", 0x1204, kClassScriptObject},
      {0x03FFF076, "PrimLengthArray", 0x800, kClassI32},
      {0x08FFF076, "TriangleCount", 0x5, kClassI32},
      {0x02FFF078, "BindMatrixInverse", 0x400, kClassMatrix4f},
      {0x01FFF079, "Joint", 0x2600, kClassScriptObject},
      {0x07FFF071, "SampleRate", 0x5, kClassI32},
      {0x01FFF0A5, "DataArray", 0x800, kClassMatrix4f},
      {0x0BFFF0FF, "Race", 0x400, kClassF32},
      {0x04FFF0FB, "ReplaceMeshArray", 0x2600, kClassScriptObject},
      {0x05FFF0EF, "TsArray", 0x800, kClassF32},
  };
  for (const Spot& s : spots) {
    const MemberRecord* r = MemberRecordOf(s.id);
    ASSERT_NE(r, nullptr) << s.name;
    EXPECT_STREQ(r->name, s.name);
    EXPECT_EQ(r->flags, s.flags) << s.name;
    EXPECT_EQ(r->valueType, s.valueType) << s.name;
    EXPECT_EQ(FindMemberID(ClassIdOfIndex(ClassIndex(s.id)), s.name), s.id) << s.name;
  }
  // Inherited members keep the declaring class's id.
  EXPECT_EQ(FindMemberID(0xFFFFF04D, "SNode"), 0x01FFF043u);
  EXPECT_EQ(FindMemberID(0xFFFFF079, "Name"), 0x01FFF040u);
}

}  // namespace
}  // namespace PM::Test
