// Shader and material objects: the class checks of their reference members, the indexed reference
// arrays, and the compiled-program handle a shader program holds for an engine.
#include <string>

#include "render/ShaderProgram.h"
#include "scene/EngineWorld.h"

namespace PM::Test {
namespace {

constexpr uint32_t kSurface = 0x01FFF082, kVertexShaderFile = 0x01FFF087, kFragmentShaderFile = 0x02FFF087,
                   kProgramMaterial = 0x03FFF087, kTextureArray = 0x04FFF087, kTexCoordTransform = 0x03FFF085,
                   kTexture = 0x01FFF085, kLayer = 0x01FFF086, kPhongMaterial = 0x05FFF084;

using ShaderObjectsTest = EngineWorldTest;

TEST_F(ShaderObjectsTest, ReferenceMembersKeepTheirClassOrNil) {
  struct Case {
    const char* owner;
    uint32_t member;
    int32_t index;  // -1: a single reference
    const char* value;
    const char* refused;  // the class-cast line, or null when the value is stored
  };
  const Case cases[] = {
      {"ShaderProgram", kVertexShaderFile, -1, "FileObject", nullptr},
      {"ShaderProgram", kVertexShaderFile, -1, "RenderMaterial", "\"RenderMaterial\" to \"FileObject\""},
      {"ShaderProgram", kFragmentShaderFile, -1, "FileObject", nullptr},
      {"ShaderProgram", kFragmentShaderFile, -1, "Texture2D", "\"Texture2D\" to \"FileObject\""},
      {"ShaderProgram", kProgramMaterial, -1, "RenderMaterial", nullptr},
      {"ShaderProgram", kTextureArray, 1, "Texture2D", nullptr},
      {"ShaderProgram", kTextureArray, 0, "TileTexture2D", nullptr},
      {"ShaderProgram", kTextureArray, 2, "Image", "\"Image\" to \"Texture\""},
      {"ShaderTexture", kTexCoordTransform, -1, "TTransform", nullptr},
      {"ShaderTexture", kTexCoordTransform, -1, "TJoint", nullptr},
      {"ShaderTexture", kTexCoordTransform, -1, "TCamera", "\"TCamera\" to \"TBaseTransform\""},
      {"ShaderTexture", kTexture, -1, "Texture2DVideo", "\"Texture2DVideo\" to \"Texture2D\""},
      {"ShaderLayer", kLayer, 0, "ShaderPhong", nullptr},
      {"ShaderLayer", kLayer, 0, "RenderMaterial", "\"RenderMaterial\" to \"ShaderExpression\""},
      {"RenderShader", kSurface, -1, "ShaderLayer", nullptr},
      {"ShaderPhong", kPhongMaterial, -1, "ShaderPhong", "\"ShaderPhong\" to \"RenderMaterial\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.owner) + " <- " + c.value);
    Obj<ScriptObject> owner = Make(c.owner), value = Make(c.value);
    ScriptObject* stored;
    if (c.index < 0) {
      MemberSet<VObject>(owner, c.member, value);
      stored = MemberGet<VObject>(owner, c.member);
    } else {
      MemberSetAt<VObject>(owner, c.member, c.index, value);
      EXPECT_EQ(MemberSize(owner, c.member), c.index + 1);
      stored = MemberGetAt<VObject>(owner, c.member, c.index);
    }
    std::string log = TakeLog();
    if (c.refused) {
      EXPECT_TRUE(IsNilObject(stored));
      EXPECT_EQ(log, std::string("Error ScriptObject::ExpectFailed: cannot cast ") + c.refused + ".\n");
    } else {
      EXPECT_EQ(stored, value.Get());
      EXPECT_EQ(log, "");
    }
  }
}

TEST_F(ShaderObjectsTest, IndexedArraysGrowWithNilAndRemoveClippedRanges) {
  Obj<ScriptObject> layer = Make("ShaderLayer"), phong = Make("ShaderPhong");
  MemberSetAt<VObject>(layer, kLayer, 3, phong);
  ASSERT_EQ(MemberSize(layer, kLayer), 4);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(layer, kLayer, i)));
  EXPECT_EQ(MemberGetAt<VObject>(layer, kLayer, 3), phong.Get());

  struct Case {
    int32_t first, count, left;
  };
  const Case removals[] = {
      {2, 10, 2},                        // clipped to the end
      {1, -1, 1},                        // a negative count runs to the end
      {0, 2, 3},  {4, 1, 4}, {5, 1, 5},  // at the count: nothing
      {-1, 2, 5},                        // before the start: nothing
      {2, 0, 5},
  };
  for (const Case& c : removals) {
    SCOPED_TRACE(testing::Message() << c.first << " " << c.count);
    Obj<ScriptObject> program = Make("ShaderProgram");
    Obj<ScriptObject> textures[5];
    for (int i = 0; i < 5; ++i) {
      textures[i] = Make("Texture2D");
      MemberSetAt<VObject>(program, kTextureArray, i, textures[i]);
    }
    int32_t refs = BlockRefCount(textures[4].Get());
    MemberRemove(program, kTextureArray, c.first, c.count);
    ASSERT_EQ(MemberSize(program, kTextureArray), c.left);
    // The survivors close the gap in order; a removed element loses the array's reference.
    int kept = 0;
    for (int i = 0; i < 5; ++i) {
      bool removed = c.count != 0 && i >= c.first && c.first >= 0 && (c.count < 0 || i < c.first + c.count);
      if (!removed) {
        EXPECT_EQ(MemberGetAt<VObject>(program, kTextureArray, kept++), textures[i].Get());
      }
    }
    bool lastRemoved = c.left < 5 && (c.count < 0 || c.first + c.count >= 5);
    EXPECT_EQ(BlockRefCount(textures[4].Get()), lastRemoved ? refs - 1 : refs);
  }
  EXPECT_EQ(TakeLog(), "");
}

// A compiled program that counts its unloads and its destruction.
struct Counts {
  int unloads = 0;
  int destroyed = 0;
};
class CountingHandle final : public ShaderProgramHandle {
 public:
  explicit CountingHandle(Counts* counts) : m_counts(counts) {}
  ~CountingHandle() { ++m_counts->destroyed; }
  void Unload() override { ++m_counts->unloads; }

 private:
  Counts* m_counts;
};

TEST_F(ShaderObjectsTest, ReleaseHandleUnloadsOnceAndForgetsTheHandle) {
  Counts counts;
  Obj<ScriptObject> o = Make("ShaderProgram");
  auto* program = static_cast<ShaderProgram_I*>(o.Get());
  program->ReleaseHandle();  // nothing held: nothing happens
  program->SetHandle(NewCounted<CountingHandle>(&counts));
  ASSERT_NE(program->GetHandle(), nullptr);
  program->ReleaseHandle();
  EXPECT_EQ(program->GetHandle(), nullptr);
  EXPECT_EQ(counts.unloads, 1);
  EXPECT_EQ(counts.destroyed, 1);  // the program held the only reference
  program->ReleaseHandle();
  EXPECT_EQ(counts.unloads, 1);

  // An engine that keeps its own reference sees the unload and frees the handle later.
  Ptr<ShaderProgramHandle> engineSide(NewCounted<CountingHandle>(&counts));
  program->SetHandle(engineSide);
  program->ReleaseHandle();
  EXPECT_EQ(counts.unloads, 2);
  EXPECT_EQ(BlockRefCount(engineSide.Get()), 1);
}

TEST_F(ShaderObjectsTest, DestroyingAProgramUnloadsItsHandleFirst) {
  Counts counts;
  {
    Obj<ScriptObject> o = Make("ShaderProgram");
    static_cast<ShaderProgram_I*>(o.Get())->SetHandle(NewCounted<CountingHandle>(&counts));
    MemberSetAt<VObject>(o, kTextureArray, 0, Make("Texture2D"));
  }
  EXPECT_EQ(counts.unloads, 1);
  EXPECT_EQ(counts.destroyed, 1);
  // The fixture's tear-down checks that no block of the program, its handle or its texture is left.
}

}  // namespace
}  // namespace PM::Test
