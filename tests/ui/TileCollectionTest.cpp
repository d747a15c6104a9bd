// Tile collections: the name index kept in step with NameArray, and the shaders' lifetimes.
#include "UIFixture.h"
#include "classes/EngineClassRegistry.h"
#include "render/RenderShader.h"
#include "ui/FontStyle.h"
#include "ui/TileCollection.h"

namespace PM::Test {
namespace {

constexpr uint32_t kShaderArray = 0x01FFF0E2;
constexpr uint32_t kNameArray = 0x04FFF0E2;

class TileCollectionTest : public UITableTest {
 protected:
  void SetUp() override {
    UITableTest::SetUp();
    FindEngineClassEntry(0x082)();  // RenderShader
    m_tiles = ScriptObject::Create(TileCollection_I::kClassId);
  }
  void TearDown() override {
    m_tiles.Clear();
    UITableTest::TearDown();
  }
  TileCollection_I* T() { return static_cast<TileCollection_I*>(m_tiles.Get()); }
  void SetName(int32_t i, const char* name) { MemberSetAt<VString>(m_tiles, kNameArray, i, String(name)); }
  int32_t Find(const char* name) { return T()->FindName(String(name)); }

  Obj<ScriptObject> m_tiles;
};

// A step on the collection's names, then what FindName answers for each name afterwards.
struct Step {
  enum { kSet, kRemove } op;
  int32_t index, count;
  const char* name;
};
struct NameCase {
  const char* what;
  std::vector<Step> steps;
  std::vector<std::pair<const char*, int32_t>> found;
};

TEST_F(TileCollectionTest, FindNameFollowsTheNames) {
  const NameCase cases[] = {
      {"new collection", {}, {{"a", -1}, {"", -1}}},
      {"empty name", {{Step::kSet, 0, 0, ""}}, {{"", -1}}},
      {"renamed", {{Step::kSet, 0, 0, "a"}, {Step::kSet, 0, 0, "b"}}, {{"a", -1}, {"b", 0}}},
      {"set twice: the last set wins", {{Step::kSet, 1, 0, "a"}, {Step::kSet, 4, 0, "a"}}, {{"a", 4}}},
      {"set again at the older index",
       {{Step::kSet, 1, 0, "a"}, {Step::kSet, 4, 0, "a"}, {Step::kSet, 1, 0, "a"}},
       {{"a", 1}}},
      {"the other holder answers once the newer is renamed",
       {{Step::kSet, 1, 0, "a"}, {Step::kSet, 4, 0, "a"}, {Step::kSet, 4, 0, "b"}},
       {{"a", 1}, {"b", 4}}},
      {"cleared to the empty name", {{Step::kSet, 2, 0, "a"}, {Step::kSet, 2, 0, ""}}, {{"a", -1}, {"", -1}}},
      {"removal renumbers",
       {{Step::kSet, 0, 0, "a"},
        {Step::kSet, 1, 0, "b"},
        {Step::kSet, 2, 0, "c"},
        {Step::kSet, 3, 0, "d"},
        {Step::kRemove, 0, 1, nullptr}},
       {{"a", -1}, {"b", 0}, {"c", 1}, {"d", 2}}},
      {"removal in the middle, a name held twice",
       {{Step::kSet, 0, 0, "a"},
        {Step::kSet, 1, 0, "x"},
        {Step::kSet, 2, 0, "y"},
        {Step::kSet, 3, 0, "z"},
        {Step::kSet, 4, 0, "a"},
        {Step::kRemove, 1, 2, nullptr}},
       {{"a", 2}, {"x", -1}, {"y", -1}, {"z", 1}}},
      {"removal of the newer holder",
       {{Step::kSet, 0, 0, "a"}, {Step::kSet, 5, 0, "a"}, {Step::kRemove, 5, 3, nullptr}},
       {{"a", 0}}},
      {"removal outside or of nothing",
       {{Step::kSet, 0, 0, "a"},
        {Step::kSet, 1, 0, "b"},
        {Step::kRemove, 2, 1, nullptr},
        {Step::kRemove, -1, 1, nullptr},
        {Step::kRemove, 0, 0, nullptr}},
       {{"a", 0}, {"b", 1}}},
      {"removal to the end",
       {{Step::kSet, 0, 0, "a"}, {Step::kSet, 1, 0, "b"}, {Step::kRemove, 0, -1, nullptr}},
       {{"a", -1}, {"b", -1}}},
  };
  for (const NameCase& c : cases) {
    m_tiles = ScriptObject::Create(TileCollection_I::kClassId);
    for (const Step& s : c.steps) {
      if (s.op == Step::kSet)
        SetName(s.index, s.name);
      else
        MemberRemove(m_tiles, kNameArray, s.index, s.count);
    }
    for (auto [name, want] : c.found) {
      EXPECT_EQ(Find(name), want) << c.what << ": " << name;
      if (want >= 0) {
        EXPECT_EQ(MemberGetAt<VString>(m_tiles, kNameArray, want), String(name)) << c.what;
      }
    }
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TileCollectionTest, RemovedShadersAreReleased) {
  // The arrays' own blocks first: Remove keeps them.
  MemberSetAt<VObject>(m_tiles, kShaderArray, 3, NilScriptObject());
  SetName(1, "");
  const long start = LiveBlockCount();
  Obj<ScriptObject> font(ScriptObject::Create(FontStyle_I::kClassId));
  MemberSetAt<VObject>(m_tiles, kShaderArray, 0, font);
  EXPECT_NE(TakeLog().find("ScriptObject::ExpectFailed: cannot cast \"FontStyle\" to \"RenderShader\"."),
            std::string::npos);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(m_tiles, kShaderArray, 0)));
  font.Clear();
  for (int i = 0; i < 4; ++i)
    MemberSetAt<VObject>(m_tiles, kShaderArray, i, ScriptObject::Create(RenderShader_I::kClassId));
  SetName(0, "a");
  SetName(1, "a");
  EXPECT_GT(LiveBlockCount(), start);
  MemberRemove(m_tiles, kShaderArray, 1, 10);
  EXPECT_EQ(MemberSize(m_tiles, kShaderArray), 1);
  MemberRemove(m_tiles, kShaderArray, 0, 1);
  MemberRemove(m_tiles, kNameArray, 0, 2);
  EXPECT_EQ(LiveBlockCount(), start);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
