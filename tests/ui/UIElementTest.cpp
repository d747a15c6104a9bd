// UI elements: the atom array as scripts see it, drawing through the recording engine, and hit tests.
#include <cmath>

#include "UIFixture.h"
#include "classes/EngineClassRegistry.h"
#include "render/RenderShader.h"
#include "support/RecordingRenderEngine.h"
#include "ui/UIElement.h"

namespace PM::Test {
namespace {

constexpr uint32_t kShaderArray = 0x01FFF0E8;
constexpr uint32_t kAtomData = 0x02FFF0E8;

class UIElementTest : public UITableTest {
 protected:
  void SetUp() override {
    UITableTest::SetUp();
    FindEngineClassEntry(0x082)();  // RenderShader
    m_element = ScriptObject::Create(UIElement_I::kClassId);
  }
  void TearDown() override {
    m_element.Clear();
    UITableTest::TearDown();
  }
  UIElement_I* E() { return static_cast<UIElement_I*>(m_element.Get()); }
  void SetAtoms(std::initializer_list<UIAtomStructure> atoms) {
    E()->m_atoms.Clear();
    for (const UIAtomStructure& a : atoms) E()->m_atoms.Append(a);
  }
  void Draw(RecordingRenderEngine& engine, int32_t colorCount = 3) {
    E()->Draw(nullptr, &engine, 3, kH, 2, kV, colorCount, kColors);
  }
  int32_t Hit(int32_t x, int32_t y, int32_t colorCount = 3) {
    return E()->HitTest(x, y, 3, kH, 2, kV, colorCount, kColors);
  }

  static constexpr float kH[3] = {0, 100, 200};
  static constexpr float kV[2] = {0, 50};
  static constexpr Vector4f kColors[3] = {{1, 1, 1, 1}, {1, 0, 0, 0}, {0, 1, 0, 0.5f}};
  Obj<ScriptObject> m_element;
};

// An atom over anchors (x0, y0)-(x1, y1) with colour, shader and hit id; the texture cell (0, 0)-(32, 32).
UIAtomStructure Atom(int32_t x0, int32_t x1, int32_t colorId = 0, int32_t shader = 0, int32_t hit = 0) {
  UIAtomStructure a{};
  a.texRight = a.texEdgeB = 32;
  a.anchorX0 = x0;
  a.anchorX1 = x1;
  a.anchorY0 = 0;
  a.anchorY1 = 1;
  a.colorId = colorId;
  a.shaderIndex = shader;
  a.hitId = hit;
  return a;
}

Array<int32_t> Words(int n, std::initializer_list<std::pair<int, int32_t>> set) {
  Array<int32_t> a;
  a.Grow(n);
  for (auto [at, v] : set) a[at] = v;
  return a;
}

TEST_F(UIElementTest, AtomDataTakesWholeAtomsOnly) {
  MemberSetArray<VI32>(m_element, kAtomData, Words(36, {{0, 7}, {17, 1}, {35, 2}}));
  Array<int32_t> back = MemberGetArray<VI32>(m_element, kAtomData);
  ASSERT_EQ(back.Count(), 36);
  EXPECT_EQ(back[0], 7);
  EXPECT_EQ(back[17], 1);
  EXPECT_EQ(back[35], 2);
  EXPECT_EQ(E()->m_atoms[1].hitId, 2);
  EXPECT_EQ(TakeLog(), "");

  for (int refused : {35, 1, 19}) {
    MemberSetArray<VI32>(m_element, kAtomData, Words(refused, {{0, 9}}));
    EXPECT_NE(TakeLog().find("UIElement::iAtomDataSet: invalid or incompatible data size.\n"), std::string::npos)
        << refused;
    back = MemberGetArray<VI32>(m_element, kAtomData);
    EXPECT_EQ(back.Count(), 36);
    EXPECT_EQ(back[17], 1);
    EXPECT_EQ(back[35], 2);
  }
  MemberSetArray<VI32>(m_element, kAtomData, Array<int32_t>());
  EXPECT_EQ(MemberGetArray<VI32>(m_element, kAtomData).Count(), 0);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(UIElementTest, TextureCoordinatesAreInsetAndFlipped) {
  UIAtomStructure whole = Atom(0, 1);
  whole.texRight = whole.texEdgeB = 512;
  UIAtomStructure cell = Atom(0, 1);
  cell.texLeft = 64;
  cell.texEdgeA = 32;
  cell.texRight = 128;
  cell.texEdgeB = 96;
  struct Case {
    UIAtomStructure atom;
    float uLeft, uRight, vA, vB;
  } cases[] = {
      {whole, 6.1035156e-5f, 0.99993896f, 1.0000610f, -6.1035156e-5f},
      {cell, 64.03125f / 512, 127.96875f / 512, 480.03125f / 512, 415.96875f / 512},
  };
  for (const Case& c : cases) {
    SetAtoms({c.atom});
    RecordingRenderEngine engine;
    Draw(engine);
    ASSERT_EQ(engine.quads.size(), 1u);
    const float* t = engine.quads[0].texCoords;
    // Corners (x0, y0), (x1, y0), (x0, y1), (x1, y1).
    const float want[8] = {c.uLeft, c.vA, c.uRight, c.vA, c.uLeft, c.vB, c.uRight, c.vB};
    for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(t[i], want[i]) << i;
  }
}

TEST_F(UIElementTest, CornersAreAnchorsPlusOffsets) {
  UIAtomStructure a = Atom(1, 2, 2);
  a.anchorY0 = 1;
  a.anchorY1 = 0;
  a.offsetX0 = 3;
  a.offsetX1 = -4;
  a.offsetY0 = 5;
  a.offsetY1 = -6;
  SetAtoms({a});
  RecordingRenderEngine engine;
  Draw(engine);
  ASSERT_EQ(engine.quads.size(), 1u);
  const RecordedQuad& q = engine.quads[0];
  EXPECT_EQ(q.left, 103.0f);
  EXPECT_EQ(q.right, 196.0f);
  EXPECT_EQ(q.bottom, 55.0f);
  EXPECT_EQ(q.top, -6.0f);
  EXPECT_EQ(q.color, kColors[2]);
}

TEST_F(UIElementTest, ShaderIsSetOnlyWhenItsIndexChanges) {
  Obj<ScriptObject> s0(ScriptObject::Create(RenderShader_I::kClassId));
  Obj<ScriptObject> s1(ScriptObject::Create(RenderShader_I::kClassId));
  MemberSetAt<VObject>(m_element, kShaderArray, 0, s0);
  MemberSetAt<VObject>(m_element, kShaderArray, 1, s1);
  struct Case {
    std::vector<int32_t> shaders;    // shader index per atom
    std::vector<int32_t> colors;     // colour id per atom
    std::vector<ScriptObject*> set;  // SetShaderBase calls
  } cases[] = {
      {{0, 0, 0, 1}, {0, 0, 0, 0}, {s0, s1}},
      {{1, 0, 1}, {0, 0, 0}, {s1, s0, s1}},
      // A skipped (transparent) atom sets nothing and does not count as the last drawn.
      {{0, 1, 0}, {0, 1, 0}, {s0}},
      // Outside ShaderArray, negative included: nil.
      {{5, -1, 0}, {0, 0, 0}, {NilScriptObject(), NilScriptObject(), s0}},
  };
  for (const Case& c : cases) {
    E()->m_atoms.Clear();
    for (size_t i = 0; i < c.shaders.size(); ++i) E()->m_atoms.Append(Atom(0, 1, c.colors[i], c.shaders[i]));
    RecordingRenderEngine engine;
    Draw(engine);
    std::vector<RecordedCall> set = engine.CallsOf("base");
    ASSERT_EQ(set.size(), c.set.size());
    for (size_t i = 0; i < c.set.size(); ++i) {
      EXPECT_EQ(set[i].shader, c.set[i]) << i;
      EXPECT_TRUE(set[i].first);
    }
    EXPECT_EQ(engine.quads.back().shader, c.set.back());
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(UIElementTest, DrawSkipsTransparentAndStopsAtABadColour) {
  MemberSet<VString>(m_element, kMemberObjectName, String("frame"));
  const std::string colorLine = "UIElement::Draw: ColorID out of range for \"frame\".\n";
  const std::string anchorLine = "UIElement::Draw: anchor index out of range for \"frame\".\n";
  struct Case {
    std::vector<UIAtomStructure> atoms;
    int32_t colorCount;
    std::vector<float> lefts;  // the quads drawn
    std::string log;
  } cases[] = {
      {{Atom(0, 1, 0), Atom(1, 2, 1), Atom(0, 2, 2)}, 3, {0, 0}, ""},
      {{Atom(0, 1, 0), Atom(1, 2, 5), Atom(0, 2, 0)}, 3, {0}, colorLine},
      {{Atom(1, 2, -1), Atom(0, 2, 0)}, 3, {}, colorLine},
      {{Atom(1, 2, 2), Atom(0, 1, 2)}, 2, {}, colorLine},
      // Anchors outside their tables: skipped, one line per call.
      {{Atom(3, 1), Atom(0, -1), Atom(1, 2)}, 3, {100}, anchorLine},
  };
  for (const Case& c : cases) {
    E()->m_atoms.Clear();
    for (const UIAtomStructure& a : c.atoms) E()->m_atoms.Append(a);
    RecordingRenderEngine engine;
    Draw(engine, c.colorCount);
    std::vector<float> lefts;
    for (const RecordedQuad& q : engine.quads) lefts.push_back(q.left);
    EXPECT_EQ(lefts, c.lefts);
    std::string log = TakeLog();
    EXPECT_NE(log.find(c.log), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), c.log.empty() ? 0 : 1) << log;
  }
}

TEST_F(UIElementTest, HitTestTakesTheFirstCandidate) {
  UIAtomStructure bad = Atom(0, 1, 0, 0, 7);
  bad.anchorY1 = 2;  // outside the vertical table
  struct Case {
    std::vector<UIAtomStructure> atoms;
    int32_t x, y, colorCount, want;
  } cases[] = {
      {{Atom(0, 1, 0, 0, 4)}, 0, 0, 3, 4},  // low corner inside
      {{Atom(0, 1, 0, 0, 4)}, 99, 49, 3, 4},
      {{Atom(0, 1, 0, 0, 4)}, 100, 10, 3, -1},  // x = x1 is outside
      {{Atom(0, 1, 0, 0, 4)}, 10, 50, 3, -1},   // y = y1 is outside
      {{Atom(0, 1, 0, 0, 4)}, -1, 10, 3, -1},
      {{Atom(0, 2, 0, 0, 4), Atom(1, 2, 0, 0, 5)}, 150, 10, 3, 4},  // the lower index wins
      {{Atom(0, 2, 0, 0, 0), Atom(1, 2, 0, 0, 5)}, 150, 10, 3, 5},  // hit id 0 never hits
      {{Atom(0, 2, 0, 0, -3)}, 150, 10, 3, -1},
      {{Atom(0, 2, 1, 0, 4), Atom(1, 2, 2, 0, 5)}, 150, 10, 3, 5},  // alpha 0 is not hit
      {{Atom(0, 2, 5, 0, 4)}, 150, 10, 3, 4},                       // a colour outside the table stays hittable
      {{Atom(0, 2, -1, 0, 4)}, 150, 10, 3, 4},
      {{bad, Atom(0, 2, 0, 0, 8)}, 50, 10, 3, 8},  // a bad anchor is skipped
  };
  for (const Case& c : cases) {
    E()->m_atoms.Clear();
    for (const UIAtomStructure& a : c.atoms) E()->m_atoms.Append(a);
    EXPECT_EQ(Hit(c.x, c.y, c.colorCount), c.want) << c.x << "," << c.y;
  }
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
