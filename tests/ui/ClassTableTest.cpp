// The UI class table: which classes, members and enumeration values exist, with their ids and bases.
#include <cstring>

#include "UIFixture.h"

namespace PM::Test {
namespace {

struct ExpectedClass {
  uint32_t index;
  const char* name;  // as scripts name it
  uint32_t baseIndex;
  int ownMembers;  // members, or values of an enumeration
  bool enumeration;
};

constexpr uint32_t kObject = 0x040, kSNode = 0x042, kTNode = 0x043, kRoot = 0x001;

// In definition order.
const ExpectedClass kClasses[] = {
    {0x0D1, "SWindow", kSNode, 0, false},
    {0x0D0, "TWindow", kTNode, 4, false},
    {0x0D2, "WidgetStyle", kObject, 43, false},
    {0x0D3, "FontStyle", kObject, 4, false},
    {0x0D5, "WEvent", kRoot, 49, true},
    {0x0D7, "WHandler", kObject, 5, false},
    {0x0BC, "WKeyHandler", 0x0D7, 6, false},
    {0x0D6, "WEventCallback", kObject, 1, false},
    {0x0D8, "Widget", kObject, 27, false},
    {0x0C4, "WEffect", kObject, 11, false},
    {0x0DB, "WFrame", 0x0D8, 3, false},
    {0x0BD, "WGroup", 0x0DB, 0, false},
    {0x0EA, "WDialog", 0x0DB, 0, false},
    {0x0EB, "WControl", 0x0DB, 4, false},
    {0x0E3, "WScrollFrame", 0x0DB, 2, false},
    {0x0ED, "WSlider", 0x0EB, 5, false},
    {0x0EC, "WScroll", 0x0EB, 1, false},
    {0x0E9, "WButton", 0x0EB, 6, false},
    {0x0CE, "WIconButton", 0x0E9, 0, false},
    {0x0CD, "WGroupFrame", 0x0EB, 0, false},
    {0x0CC, "WProgress", 0x0EB, 2, false},
    {0x0CF, "WMenuItem", 0x0E9, 1, false},
    {0x0E4, "WCheckBox", 0x0EB, 1, false},
    {0x0C6, "WListItem", 0x0E9, 0, false},
    {0x0E5, "WSizer", 0x0EB, 7, false},
    {0x0E6, "WSizer.SizerModeEnum", kRoot, 4, true},
    {0x0E7, "WSizerItem", kObject, 1, false},
    {0x0C7, "WSpacer", 0x0D8, 1, false},
    {0x0C8, "WMenuBar", 0x0E5, 0, false},
    {0x0EE, "WPopup", 0x0E5, 1, false},
    {0x0CB, "WToolBar", 0x0E5, 0, false},
    {0x0CA, "WSpinBox", 0x0EB, 1, false},
    {0x0C9, "WComboBox", 0x0E9, 2, false},
    {0x0E1, "WTabFrame", 0x0D8, 2, false},
    {0x0DD, "WLabel", 0x0EB, 0, false},
    {0x0DA, "Widget.ResizeModeEnum", kRoot, 5, true},
    {0x0D9, "Widget.AlignmentModeEnum", kRoot, 4, true},
    {0x0DC, "WImage", 0x0DB, 4, false},
    {0x0DE, "WText", 0x0EB, 11, false},
    {0x0DF, "WTransform", 0x0D8, 5, false},
    {0x0E0, "WChannel", 0x0D8, 1, false},
    {0x0E2, "TileCollection", kObject, 5, false},
    {0x0E8, "UIElement", kObject, 17, false},
};

struct Counts {
  int members = 0;
  int enumValues = 0;
};

Counts OwnRecords(uint32_t classId) {
  Counts c;
  const MemberTable* t = ValidTable(classId);
  if (!t) return c;
  for (int i = 1; i < t->count; ++i) {
    const MemberRecord& r = t->records[i];
    if (!r.id) continue;
    ++((r.flags & kMemberEnumValue) ? c.enumValues : c.members);
  }
  return c;
}

TEST_F(UITableTest, DefinesFortyThreeClassesWithoutComplaint) {
  EXPECT_EQ(m_classesAfter - m_classesBefore, 43u);
  EXPECT_EQ(m_registerLog.find("already exists"), std::string::npos) << m_registerLog;
  EXPECT_EQ(m_registerLog, "");
  Counts all;
  int objectClasses = 0, enumClasses = 0;
  for (const ExpectedClass& e : kClasses) {
    Counts c = OwnRecords(ClassIdOfIndex(e.index));
    all.members += c.members;
    all.enumValues += c.enumValues;
    ++(e.enumeration ? enumClasses : objectClasses);
  }
  EXPECT_EQ(objectClasses, 39);
  EXPECT_EQ(enumClasses, 4);
  EXPECT_EQ(all.members, 184);
  EXPECT_EQ(all.enumValues, 62);
}

TEST_F(UITableTest, EachClassHasItsBaseKindAndOwnMembers) {
  for (const ExpectedClass& e : kClasses) {
    SCOPED_TRACE(e.name);
    uint32_t id = ClassIdOfIndex(e.index);
    const MemberTable* t = ValidTable(id);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(ClassKeyName(id), e.name);
    EXPECT_EQ(FindClassID(e.name), id);
    EXPECT_EQ(t->baseId, ClassIdOfIndex(e.baseIndex));
    EXPECT_EQ(t->kind, e.enumeration ? kClassKindEnum : kClassKindObject);
    Counts c = OwnRecords(id);
    EXPECT_EQ(e.enumeration ? c.enumValues : c.members, e.ownMembers);
    EXPECT_EQ(e.enumeration ? c.members : c.enumValues, 0);
  }
}

TEST_F(UITableTest, WindowDerivesFromTheNodeClass) {
  ASSERT_NE(ValidTable(0xFFFFF0D0), nullptr);
  EXPECT_EQ(ValidTable(0xFFFFF0D0)->baseId, 0xFFFFF043u);
  EXPECT_STREQ(ClassName(0xFFFFF0D0), "TWindow");
  EXPECT_EQ(FindMemberID(0xFFFFF0D0, "RootWidget"), 0x01FFF0D0u);
  EXPECT_EQ(FindMemberID(0xFFFFF0D0, "UseCameraProjection"), 0x04FFF0D0u);
  EXPECT_EQ(FindMemberID(0xFFFFF0D0, "Name"), 0x01FFF040u);  // inherited from Object
}

TEST_F(UITableTest, EnumerationValuesAreTheirOwnMemberIds) {
  struct Value {
    uint32_t id;
    const char* name;
  };
  const Value values[] = {
      {0x01FFF0D5, "None"},          {0x0BFFF0D5, "KeyDown"},        {0x22FFF0D5, "ButtonDown"},
      {0x2FFFF0D5, "ValueChanged"},  {0x31FFF0D5, "EffectFinished"}, {0x01FFF0E6, "Horizontal"},
      {0x03FFF0E6, "HorizontalRev"}, {0x04FFF0E6, "VerticalRev"},    {0x01FFF0DA, "ResizeExact"},
      {0x05FFF0DA, "ResizeMax"},     {0x01FFF0D9, "AlignCenter"},    {0x02FFF0D9, "AlignMin"},
      {0x04FFF0D9, "AlignBlock"},
  };
  for (const Value& v : values) {
    SCOPED_TRACE(v.name);
    const MemberRecord* r = MemberRecordOf(v.id);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->name, v.name);
    EXPECT_EQ(uint32_t(r->enumValue), v.id);
    EXPECT_EQ(r->flags, 0x100u);
    EXPECT_EQ(r->valueType, kClassEnum);
    EXPECT_EQ(FindMemberID(ClassIdOfIndex(ClassIndex(v.id)), v.name), v.id);
  }
  // WEvent runs without gaps from None (1) to EffectFinished (49).
  for (uint32_t i = 1; i <= 49; ++i) EXPECT_NE(MemberRecordOf(MakeMemberId(i, 0xFFFFF0D5)), nullptr) << i;
  EXPECT_EQ(MemberRecordOf(MakeMemberId(50, 0xFFFFF0D5)), nullptr);
}

TEST_F(UITableTest, MemberIndexesNeedNotStartAtOne) {
  EXPECT_EQ(MemberRecordOf(0x01FFF0CF), nullptr);
  ASSERT_NE(MemberRecordOf(0x02FFF0CF), nullptr);
  EXPECT_STREQ(MemberRecordOf(0x02FFF0CF)->name, "ShowArrow");
}

TEST_F(UITableTest, FlagsFollowEachMembersForm) {
  struct Flags {
    uint32_t id;
    uint32_t flags;
    uint32_t valueType;
  };
  const Flags members[] = {
      {0x01FFF0D0, 0x1200, kClassScriptObject},  // TWindow.RootWidget
      {0x01FFF0D8, 0x1207, kClassScriptObject},  // Widget.Parent
      {0x02FFF0D8, 0x2600, kClassScriptObject},  // Widget.WidgetArray
      {0x03FFF0D8, 0x1204, kClassScriptObject},  // Widget.Style
      {0x04FFF0D8, 0x1200, kClassScriptObject},  // Widget.Element
      {0x08FFF0D8, 0x0, kClassEnum},             // Widget.ResizeModeX
      {0x16FFF0D8, 0x1207, kClassScriptObject},  // Widget.UserWeakObject
      {0x17FFF0D8, 0x2604, kClassScriptObject},  // Widget.HandlerArray
      {0x11FFF0D2, 0x1203, kClassScriptObject},  // WidgetStyle.DefaultStyle
      {0x17FFF0D2, 0x1204, kClassScriptObject},  // WidgetStyle.ElementButton
      {0x07FFF0D2, 0x800, kClassI32},            // WidgetStyle.TileSelectArray
      {0x01FFF0D3, 0x1200, kClassScriptObject},  // FontStyle.FontShader
      {0x05FFF0BC, 0x1, kClassU32},              // WKeyHandler.KeyCode
      {0x06FFF0BC, 0x1, kClassU32},              // WKeyHandler.Modifier
      {0x01FFF0D6, 0x1207, kClassScriptObject},  // WEventCallback.DefaultCallback
      {0x05FFF0D7, 0x0, kClassNameHash},         // WHandler.Cmd
      {0x04FFF0C4, 0x5, kClassF32},              // WEffect.BlendRendered
      {0x05FFF0C4, 0x800, kClassU32},            // WEffect.Visibility
      {0x0BFFF0C4, 0x800, kClassString},         // WEffect.Sound
      {0x03FFF0EB, 0x5, kClassString},           // WControl.Label
      {0x01FFF0E5, 0x2600, kClassScriptObject},  // WSizer.SizerItemArray
      {0x02FFF0E2, 0x400, kClassVector4f},       // TileCollection.ColorArray
      {0x01FFF0E8, 0x2604, kClassScriptObject},  // UIElement.ShaderArray
      {0x02FFF0E8, 0x800, kClassI32},            // UIElement.AtomData
      {0x04FFF0E8, 0x0, kClassVector3f},         // UIElement.BorderMin
  };
  for (const Flags& m : members) {
    const MemberRecord* r = MemberRecordOf(m.id);
    ASSERT_NE(r, nullptr) << std::hex << m.id;
    EXPECT_EQ(r->flags, m.flags) << r->name;
    EXPECT_EQ(r->valueType, m.valueType) << r->name;
    EXPECT_EQ(r->valid, 1u) << r->name;
  }
}

}  // namespace
}  // namespace PM::Test
