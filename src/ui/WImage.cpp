#include "ui/WImage.h"

#include "engine/RenderEngine.h"
#include "render/RenderShader.h"
#include "ui/TileCollection.h"
#include "ui/UIShaderTexture.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"

namespace PM {

void WImage_I::Define() {
  DefineUIClass<WImage_I, WFrame_I>();
  const MemberDef members[] = {
      FieldMember<&WImage_I::m_imageShader>(0x01FFF0DC, "ImageShader", 0x4),
      FieldMember<&WImage_I::m_imageColor>(0x02FFF0DC, "ImageColor"),
      FieldMember<&WImage_I::m_tileSelect>(0x03FFF0DC, "TileSelect"),
      FieldMember<&WImage_I::m_tileCollection>(0x04FFF0DC, "TileCollection", 0x4),
  };
  DefineMembers(members);
}

Vector4f WImage_I::StateColor() const {
  if (m_style.IsNil()) return {1, 1, 1, 1};
  const WidgetStyle_I& s = *m_style;
  const bool focus = (m_layout.combinedInputFlags & 2) != 0;
  switch (m_widgetState) {
    case -2:
      return s.m_inactiveFrameColor;
    case -1:
      return (m_layout.ownInputFlags & 1) ? s.m_focusFrameColor : s.m_defaultFrameColor;
    case 1:
    case 2:
      return focus ? s.m_focusFrameColor : s.m_enableFrameColor;
    default:
      return focus ? s.m_focusFrameColor : s.m_disableFrameColor;
  }
}

void WImage_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  const TileCollection_I* collection = m_tileCollection.Get();
  if (IsNilObject(collection) && !m_style.IsNil()) collection = m_style->m_iconCollection.Get();
  const int32_t i = m_tileSelect;
  RenderShader_I* shader = m_imageShader.Get();
  int32_t tile = i;
  Vector4f color = m_imageColor;
  if (!IsNilObject(collection)) {
    // A negative index reads no entry: no shader, the whole texture.
    const bool known = i >= 0;
    shader = known && i < collection->m_shaderArray.Count() ? collection->m_shaderArray[i].Get() : nullptr;
    tile = known && i < collection->m_tileSelectArray.Count() ? collection->m_tileSelectArray[i] : -1;
    color *=
        known && i < collection->m_colorArray.Count() ? collection->m_colorArray[i] : TileCollection_I::WhiteFill();
  }
  if (shader && !IsNilObject(shader)) {
    engine->SetShaderBase(shader, true);
    float uv[8];
    UITileTexCoords(UIShaderTexture(shader), tile, uv);
    color *= StateColor();
    color *= context->color;
    engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
    engine->SetModelViewMatrix(&m_layout.world);
    engine->UpdateClipRect();
    engine->DrawQuadClipped(0, m_layout.computedSize.x, 0, m_layout.computedSize.y, uv, &color);
  }
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
