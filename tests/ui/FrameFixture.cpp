#include "FrameFixture.h"

#include "classes/EngineClassRegistry.h"
#include "core/HighResTimer.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "script/object/ObjectModel.h"
#include "ui/FontStyle.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"

namespace PM::Test {

double FrameTest::s_now = 0.0;
std::vector<std::pair<uint32_t, std::string>> FrameTest::events;

namespace {
extern "C" void RecordEvent(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  FrameTest::events.emplace_back(event, widget->m_name.CStr());
}
}  // namespace

void FrameTest::Listen(Widget_I* w, std::initializer_list<uint32_t> handled) {
  auto* callback = static_cast<WEventCallback_I*>(MakeOf(ClassId::WEventCallback));
  callback->SetFunction(&RecordEvent);
  for (uint32_t e : handled) {
    auto* h = static_cast<WHandler_I*>(MakeOf(ClassId::WHandler));
    h->m_handle = e;
    h->m_message = kWEventNone;
    h->m_destination = callback;
    w->m_handlerArray.Append(Obj<WHandler_I>(h));
  }
}

WidgetInput FrameTest::PointerAt(float x, float y) {
  WidgetInput in;
  in.rayOrigin = {x, y, 10};
  in.rayDirection = {0, 0, -1};
  in.window = m_window.Get();
  return in;
}

void FrameTest::SetUp() {
  WidgetTest::SetUp();
  // The render classes a UI shader leads through to its texture.
  for (uint32_t index : {0x082u, 0x083u, 0x084u, 0x085u, 0x089u, 0x08Bu, 0x08Cu, 0x088u, 0x08Du}) {
    DefineClassFn define = FindEngineClassEntry(index);
    ASSERT_NE(define, nullptr) << index;
    define();
  }
  BuildNameHashes();
  TakeLog();
  style = static_cast<WidgetStyle_I*>(MakeOf(WidgetStyle_I::kClassId, "style"));
  parent.computedSize = {320, 240, 0};
  parent.clipState = kClipped;
  parent.clipRect[0] = parent.clipRect[2] = 0;
  parent.clipRect[1] = 320;
  parent.clipRect[3] = 240;
  s_now = 0.0;
  events.clear();
  WFrame_I::s_nowSeconds = &FakeNow;
}

void FrameTest::TearDown() {
  WFrame_I::s_nowSeconds = &HighResTimer::GetNowSeconds;
  style.Clear();
  WidgetTest::TearDown();
}

void FrameTest::Layout(Widget_I* w) {
  w->CalcDimMin();
  w->UpdateLayoutTree(&parent, 0);
}

RenderShader_I* FrameTest::ShaderOver(Texture2D_I* texture) {
  auto* t = static_cast<ShaderTexture_I*>(MakeOf(ShaderTexture_I::kClassId));
  t->m_texture = texture;
  auto* phong = static_cast<ShaderPhong_I*>(MakeOf(ShaderPhong_I::kClassId));
  phong->m_color = t;
  auto* shader = static_cast<RenderShader_I*>(MakeOf(RenderShader_I::kClassId, "shader"));
  shader->m_surface = phong;
  return shader;
}

FontStyle_I* FrameTest::DejaVu(FontTexture2D_I* font) {
  if (!font) {
    font = static_cast<FontTexture2D_I*>(MakeOf(FontTexture2D_I::kClassId, "font"));
    font->m_fontName = "DejaVu Sans";
  }
  EXPECT_EQ(font->CreateFontImage(), SOK);
  auto* f = static_cast<FontStyle_I*>(MakeOf(FontStyle_I::kClassId, "dejavu"));
  f->m_fontShader = ShaderOver(font);
  f->m_fontSize = {16, 16};
  return f;
}

UIElement_I* FrameTest::BorderElement(Vector3f low, Vector3f high, int32_t slots) {
  auto* e = static_cast<UIElement_I*>(MakeOf(UIElement_I::kClassId, "element"));
  e->m_borderMin = low;
  e->m_borderMax = high;
  for (int32_t i = 0; i < slots; ++i) {
    UIAtomStructure a{};
    a.texRight = 512;
    a.texEdgeB = 512;
    a.anchorX1 = 1;
    a.anchorY1 = 1;
    a.colorId = i;
    e->m_atoms.Append(a);
  }
  return e;
}

}  // namespace PM::Test
