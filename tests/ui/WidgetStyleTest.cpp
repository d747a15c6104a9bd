// Widget styles: the calling thread's default style, the weak info widget, and members in index order.
#include <thread>

#include "UIFixture.h"
#include "core/StartUp.h"
#include "support/TestEnv.h"
#include "ui/FontStyle.h"
#include "ui/UIElement.h"
#include "ui/WButton.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetTLS.h"

namespace PM::Test {
namespace {

constexpr uint32_t kDefaultStyle = 0x11FFF0D2;
constexpr uint32_t kInfoWidget = 0x12FFF0D2;

class WidgetStyleTest : public UITableTest {
 protected:
  void TearDown() override {
    ExitWidgetTLS();  // the record's weak links are blocks too
    UITableTest::TearDown();
  }
  static Obj<ScriptObject> Make(uint32_t classId) { return Obj<ScriptObject>(ScriptObject::Create(classId)); }
};

// What another thread reads as its default style.
ScriptObject* DefaultOnAnotherThread() {
  ScriptObject* seen = nullptr;
  std::thread([&] {
    seen = WidgetStyle_I::GetDefaultStyle();
    ExitWidgetTLS();
  }).join();
  return seen;
}

TEST_F(WidgetStyleTest, DefaultStyleBelongsToTheCallingThread) {
  Obj<ScriptObject> a = Make(WidgetStyle_I::kClassId), b = Make(WidgetStyle_I::kClassId);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(b, kDefaultStyle)));
  MemberSet<VObject>(a, kDefaultStyle, b);
  EXPECT_EQ(MemberGet<VObject>(b, kDefaultStyle), b.Get());  // set through one style, read through another
  EXPECT_EQ(MemberGet<VObject>(a, kDefaultStyle), b.Get());
  EXPECT_EQ(WidgetStyle_I::GetDefaultStyle(), b.Get());
  EXPECT_TRUE(IsNilObject(DefaultOnAnotherThread()));
  EXPECT_EQ(WidgetStyle_I::GetDefaultStyle(), b.Get());

  // Weak: nil once its last owner lets go.
  b.Clear();
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(a, kDefaultStyle)));

  // ExitWidgetTLS releases the record; the next request makes a fresh one.
  MemberSet<VObject>(a, kDefaultStyle, a);
  ExitWidgetTLS();
  EXPECT_EQ(WidgetTLS::Find(), nullptr);
  EXPECT_TRUE(IsNilObject(WidgetStyle_I::GetDefaultStyle()));
  EXPECT_NE(WidgetTLS::Find(), nullptr);
  ExitWidgetTLS();
  ExitWidgetTLS();  // a thread without a record changes nothing
  EXPECT_EQ(TakeLog(), "");

  // Only styles: anything else is refused and clears the default.
  MemberSet<VObject>(a, kDefaultStyle, a);
  MemberSet<VObject>(a, kDefaultStyle, Make(FontStyle_I::kClassId));
  EXPECT_NE(TakeLog().find("ScriptObject::ExpectFailed: cannot cast \"FontStyle\" to \"WidgetStyle\"."),
            std::string::npos);
  EXPECT_TRUE(IsNilObject(WidgetStyle_I::GetDefaultStyle()));
}

TEST_F(WidgetStyleTest, InfoWidgetIsWeakAndCopiesAsNil) {
  Obj<ScriptObject> style = Make(WidgetStyle_I::kClassId), button = Make(WButton_I::kClassId);
  MemberSet<VObject>(style, kInfoWidget, button);
  EXPECT_EQ(MemberGet<VObject>(style, kInfoWidget), button.Get());
  MemberSet<VObject>(style, kInfoWidget, Make(UIElement_I::kClassId));
  EXPECT_NE(TakeLog().find("cannot cast \"UIElement\" to \"Widget\"."), std::string::npos);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(style, kInfoWidget)));

  // A template copy deep-copies the widget into the weak link, where nothing holds it.
  MemberSet<VObject>(style, kInfoWidget, button);
  const long before = LiveBlockCount();
  {
    Obj<ScriptObject> copy(ScriptObject::CopyTemplate(style));
    EXPECT_TRUE(IsNilObject(MemberGet<VObject>(copy, kInfoWidget)));
  }
  EXPECT_EQ(LiveBlockCount(), before);
  button.Clear();
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(style, kInfoWidget)));
  TakeLog();
}

TEST_F(WidgetStyleTest, ElementsAreNumberedInIndexOrder) {
  Obj<ScriptObject> style = Make(WidgetStyle_I::kClassId);
  auto* s = static_cast<WidgetStyle_I*>(style.Get());
  const struct {
    uint32_t id;
    Obj<UIElement_I> WidgetStyle_I::*field;
  } order[] = {
      {0x19FFF0D2, &WidgetStyle_I::m_elementCheckBox}, {0x1AFFF0D2, &WidgetStyle_I::m_elementMenuItem},
      {0x1BFFF0D2, &WidgetStyle_I::m_elementPopup},    {0x1CFFF0D2, &WidgetStyle_I::m_elementMenuBar},
      {0x1DFFF0D2, &WidgetStyle_I::m_elementScroll},   {0x22FFF0D2, &WidgetStyle_I::m_elementTab},
      {0x2BFFF0D2, &WidgetStyle_I::m_elementMouse},
  };
  for (const auto& o : order) {
    Obj<ScriptObject> element = Make(UIElement_I::kClassId);
    MemberSet<VObject>(style, o.id, element);
    EXPECT_EQ((s->*o.field).Get(), element.Get()) << std::hex << o.id;
  }
  MemberSet<VObject>(style, 0x17FFF0D2, Make(FontStyle_I::kClassId));  // ElementButton
  EXPECT_NE(TakeLog().find("ScriptObject::ExpectFailed: cannot cast \"FontStyle\" to \"UIElement\"."),
            std::string::npos);
  EXPECT_TRUE(s->m_elementButton.IsNil());
}

// Every DLLDeInitialize, not only the last, releases the calling thread's record.
TEST(WidgetTLSModuleTest, EveryDeInitializeReleasesTheRecord) {
  TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  ASSERT_EQ(DLLInitialize(1), 0u);
  ASSERT_EQ(DLLInitialize(0), 0u);
  {
    Obj<ScriptObject> style(ScriptObject::Create(WidgetStyle_I::kClassId));
    WidgetStyle_I::SetDefaultStyle(static_cast<WidgetStyle_I*>(style.Get()));
    ASSERT_EQ(WidgetStyle_I::GetDefaultStyle(), style.Get());
    DLLDeInitialize(0);
    EXPECT_EQ(WidgetTLS::Find(), nullptr);
    EXPECT_TRUE(IsNilObject(WidgetStyle_I::GetDefaultStyle()));
  }
  DLLDeInitialize(1);
  EXPECT_EQ(WidgetTLS::Find(), nullptr);
}

}  // namespace
}  // namespace PM::Test
