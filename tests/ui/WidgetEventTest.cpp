// Events raised on widgets: visibility events, click sounds, forwarding through handlers to widgets
// and host callbacks, and the element and font each widget class draws with.
#include <algorithm>

#include "WidgetFixture.h"
#include "ui/FontStyle.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WKeyHandler.h"
#include "ui/WScroll.h"
#include "ui/WSlider.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"

namespace PM::Test {
namespace {

struct Call {
  uint32_t userData;
  Widget_I* widget;
  WHandler_I* handler;
  uint32_t event;
  bool hadInput;
  uint32_t character;
};
std::vector<Call> g_calls;
Obj<Widget_I>* g_dropOnCall = nullptr;

extern "C" void Record(uint32_t userData, Widget_I* widget, WHandler_I* handler, uint32_t event, WidgetInput* input) {
  g_calls.push_back({userData, widget, handler, event, input != nullptr, input ? input->character : 0});
}

// Empties the raising widget's handlers and lets go of the test's hold on it.
extern "C" void DropEverything(uint32_t, Widget_I* widget, WHandler_I* handler, uint32_t event, WidgetInput* input) {
  Record(0, widget, handler, event, input);
  widget->m_handlerArray.Clear();
  if (g_dropOnCall) g_dropOnCall->Clear();
}

class WidgetEventTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_calls.clear();
    callback = static_cast<WEventCallback_I*>(MakeOf(ClassId::WEventCallback));
    callback->SetFunction(&Record);
    callback->SetUserData(77);
  }
  WHandler_I* Handler(Widget_I* on, uint32_t handle, ScriptObject* destination, uint32_t message = kWEventNone) {
    auto* h = static_cast<WHandler_I*>(MakeOf(ClassId::WHandler));
    h->m_handle = handle;
    h->m_message = message;
    h->m_destination = destination;
    on->m_handlerArray.Append(Obj<WHandler_I>(h));
    return h;
  }
  WEventCallback_I* callback = nullptr;
};

TEST_F(WidgetEventTest, VisibilityEventsTouchBitZeroOnly) {
  ElementWidget* w = Make("w");
  w->m_layout.visibility = 0x6;
  const struct {
    uint32_t event;
    uint32_t after;
  } steps[] = {{kWEventToggleWidget, 0x7}, {kWEventToggleWidget, 0x6}, {kWEventShowWidget, 0x7},
               {kWEventShowWidget, 0x7},   {kWEventHideWidget, 0x6},   {kWEventFocus, 0x6}};
  for (const auto& s : steps) {
    w->SendEvent(s.event, nullptr);
    EXPECT_EQ(w->m_layout.visibility, s.after);
  }
}

TEST_F(WidgetEventTest, ClickSoundIsQueuedOnlyWithARecord) {
  ElementWidget* w = Make("w");
  m_covering->m_soundClick = "click";
  WidgetInput input;
  input.window = m_window.Get();
  w->SendEvent(kWEventButtonDown, nullptr);
  w->SendEvent(kWEventButtonDown, &input);
  w->SendEvent(kWEventCloseButtonDown, &input);
  w->SendEvent(kWEventButtonUp, &input);
  Array<String> sounds;
  m_window->TakeSounds(sounds);
  ASSERT_EQ(sounds.Count(), 2);
  EXPECT_EQ(sounds[0], String("click"));
  m_window->TakeSounds(sounds);
  EXPECT_EQ(sounds.Count(), 0);
}

TEST_F(WidgetEventTest, HandlersForwardToWidgetsAndCallbacks) {
  ElementWidget *a = Make("a"), *b = Make("b");
  WHandler_I* toB = Handler(a, kWEventButtonClicked, b, kWEventHideWidget);
  WHandler_I* toHost = Handler(b, kWEventHideWidget, callback);
  Handler(a, kWEventButtonDown, callback);             // another event: not called
  Handler(a, kWEventButtonClicked, m_covering.Get());  // another kind of destination: nothing
  a->m_handlerArray.Append(Obj<WHandler_I>());         // nil entries are passed over
  WidgetInput input;
  input.character = 'q';
  a->SendEvent(kWEventButtonClicked, &input);
  EXPECT_EQ(b->m_layout.visibility, 0u);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].userData, 77u);
  EXPECT_EQ(g_calls[0].widget, b);
  EXPECT_EQ(g_calls[0].handler, toHost);
  EXPECT_EQ(g_calls[0].event, kWEventHideWidget);
  EXPECT_EQ(g_calls[0].character, uint32_t('q'));  // the same record
  // Without a record the callback gets an empty temporary one.
  b->SendEvent(kWEventHideWidget, nullptr);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_TRUE(g_calls[1].hadInput);
  EXPECT_EQ(g_calls[1].character, 0u);
  (void)toB;
  // A fresh key handler matches no key; an effect destination gets the message.
  auto* key = static_cast<WKeyHandler_I*>(MakeOf(ClassId::WKeyHandler));
  key->m_destination = callback;
  b->m_handlerArray.Append(Obj<WHandler_I>(key));
  auto* effect = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect));
  Handler(b, kWEventKeyDown, effect, kWEventShowWidget);
  b->SendEvent(kWEventKeyDown, &input);
  EXPECT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(input.keyConsumed, 0);
  EXPECT_EQ(effect->m_blendTo, 1);
  key->SetKey("q");
  b->SendEvent(kWEventKeyDown, &input);
  EXPECT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(input.keyConsumed, 1);
  b->SendEvent(kWEventKeyDown, nullptr);  // without a record no key matches
  EXPECT_EQ(g_calls.size(), 3u);
}

TEST_F(WidgetEventTest, CallbackMayEmptyTheHandlersAndDropTheWidget) {
  Obj<Widget_I> held(ElementWidget::Create());
  callback->SetFunction(&DropEverything);
  Handler(held, kWEventValueChanged, callback);
  Handler(held, kWEventValueChanged, callback);
  g_dropOnCall = &held;
  Widget_I* w = held.Get();
  w->SendEvent(kWEventValueChanged, nullptr);
  g_dropOnCall = nullptr;
  EXPECT_TRUE(held.IsNil());
  EXPECT_EQ(g_calls.size(), 2u);  // the loop went on over its own copy
}

TEST_F(WidgetEventTest, HandlerLoopsStopAtTheBound) {
  ElementWidget *a = Make("a"), *b = Make("b");
  // Two handlers each way: without the bound the calls would double at every level.
  for (int i = 0; i < 2; ++i) {
    Handler(a, kWEventValueChanged, b, kWEventValueChanged);
    Handler(b, kWEventValueChanged, a, kWEventValueChanged);
  }
  Handler(a, kWEventValueChanged, callback);
  a->SendEvent(kWEventValueChanged, nullptr);
  const std::string log = TakeLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_NE(log.find("Widget::SendEvent: the event reached \"a\" through more than 32 handlers and is dropped."),
            std::string::npos);
  EXPECT_TRUE(g_calls.empty());
  // The next event is delivered again.
  b->m_handlerArray.Clear();
  a->SendEvent(kWEventValueChanged, nullptr);
  EXPECT_EQ(g_calls.size(), 1u);
}

// Every widget class with the style member it draws with (null: none).
TEST_F(WidgetEventTest, EachClassTakesItsOwnElementOfTheStyle) {
  auto* style = static_cast<WidgetStyle_I*>(MakeOf(ClassId::WidgetStyle));
  auto* font = static_cast<FontStyle_I*>(MakeOf(ClassId::FontStyle));
  style->m_fontStyle = font;
  using S = WidgetStyle_I;
  Obj<UIElement_I> S::*const members[] = {
      &S::m_elementDialog,     &S::m_elementFrame,    &S::m_elementGroupFrame, &S::m_elementButton,
      &S::m_elementIconButton, &S::m_elementCheckBox, &S::m_elementScroll,     &S::m_elementScrollX,
      &S::m_elementScrollY,    &S::m_elementSliderX,  &S::m_elementSliderY,    &S::m_elementMenuBar,
      &S::m_elementPopup,      &S::m_elementMenuItem, &S::m_elementTab,        &S::m_elementProgress,
      &S::m_elementToolBar,    &S::m_elementSpinBox,  &S::m_elementComboBox,   &S::m_elementListItem};
  for (auto m : members) style->*m = static_cast<UIElement_I*>(MakeOf(ClassId::UIElement));
  const struct {
    uint32_t classId;
    Obj<UIElement_I> S::*member;
  } cases[] = {
      {ClassId::WGroup, nullptr},
      {ClassId::WListItem, &S::m_elementListItem},
      {ClassId::WMenuBar, &S::m_elementMenuBar},
      {ClassId::WComboBox, &S::m_elementComboBox},
      {ClassId::WSpinBox, &S::m_elementSpinBox},
      {ClassId::WToolBar, &S::m_elementToolBar},
      {ClassId::WProgress, &S::m_elementProgress},
      {ClassId::WGroupFrame, &S::m_elementGroupFrame},
      {ClassId::WIconButton, &S::m_elementIconButton},
      {ClassId::WMenuItem, &S::m_elementMenuItem},
      {ClassId::WFrame, &S::m_elementFrame},
      {ClassId::WImage, &S::m_elementFrame},
      {ClassId::WLabel, &S::m_elementFrame},
      {ClassId::WText, &S::m_elementFrame},
      {ClassId::WTabFrame, &S::m_elementTab},
      {ClassId::WScrollFrame, &S::m_elementScroll},
      {ClassId::WCheckBox, &S::m_elementCheckBox},
      {ClassId::WButton, &S::m_elementButton},
      {ClassId::WDialog, &S::m_elementDialog},
      {ClassId::WScroll, &S::m_elementScrollX},
      {ClassId::WSlider, &S::m_elementSliderX},
      {ClassId::WPopup, &S::m_elementPopup},
  };
  for (const auto& c : cases) {
    auto* w = static_cast<Widget_I*>(MakeOf(c.classId));
    EXPECT_TRUE(IsNilObject(w->GetUIElement())) << ClassName(c.classId);  // no style yet
    EXPECT_TRUE(IsNilObject(w->GetFontStyle()));
    w->m_style = style;
    UIElement_I* expected = c.member ? (style->*c.member).Get() : static_cast<UIElement_I*>(NilScriptObject());
    EXPECT_EQ(w->GetUIElement(), expected) << ClassName(c.classId);
    EXPECT_EQ(w->GetFontStyle(), font);
    w->m_element = m_covering.Get();  // an explicit element wins
    EXPECT_EQ(w->GetUIElement(), m_covering.Get());
  }
  EXPECT_EQ(TakeLog(), "");
  auto* scroll = static_cast<WScroll_I*>(MakeOf(ClassId::WScroll));
  auto* slider = static_cast<WSlider_I*>(MakeOf(ClassId::WSlider));
  scroll->m_style = slider->m_style = style;
  scroll->m_orientation = slider->m_orientation = 1;
  EXPECT_EQ(scroll->GetUIElement(), style->m_elementScrollY.Get());
  EXPECT_EQ(slider->GetUIElement(), style->m_elementSliderY.Get());
  // An element with a font of its own gives that font.
  auto* own = static_cast<FontStyle_I*>(MakeOf(ClassId::FontStyle));
  style->m_elementScrollY->m_fontStyle = own;
  EXPECT_EQ(scroll->GetFontStyle(), own);
  // Classes without an element of their own: warned, nil.
  for (uint32_t id : {ClassId::WTransform, ClassId::WSizer, ClassId::WSpacer, ClassId::WChannel, ClassId::WControl}) {
    auto* w = static_cast<Widget_I*>(MakeOf(id));
    w->m_style = style;
    EXPECT_TRUE(IsNilObject(w->GetUIElement()));
  }
  const std::string log = TakeLog();
  EXPECT_NE(log.find("Widget::GetUIElement: unknown type  4294963423.\n"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5);
}

}  // namespace
}  // namespace PM::Test
