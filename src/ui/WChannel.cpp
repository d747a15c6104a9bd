#include "ui/WChannel.h"

#include <cmath>

#include "engine/RenderEngine.h"
#include "ui/WidgetDrawContext.h"

namespace PM {

namespace {

// p times m with the homogeneous coordinate kept: (x, y, w).
void Project(const Matrix4f& m, float px, float py, float out[3]) {
  const float* a = m.m;
  out[0] = px * a[0] + py * a[4] + a[12];
  out[1] = px * a[1] + py * a[5] + a[13];
  out[2] = px * a[3] + py * a[7] + a[15];
}

}  // namespace

void WChannel_I::Define() {
  DefineUIClass<WChannel_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WChannel_I::m_viewport>(0x01FFF0E0, "Viewport"),
  };
  DefineMembers(members);
}

void WChannel_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  // The window's own projection where the render side gave one: the half-pixel shift of an engine with
  // pixel centres on whole coordinates moves only its samples, never the rectangle a channel is given.
  Matrix4f projection, m;
  if (context->windowProjection)
    projection = *context->windowProjection;
  else
    engine->GetProjectionMatrix(&projection);
  m.SetProduct(m_layout.world, projection);
  float p0[3], p1[3];
  Project(m, 0, 0, p0);
  Project(m, m_layout.dimension.x, m_layout.dimension.y, p1);
  // Divide by the homogeneous w (the orthographic window's is 1); a corner at w = 0 has no place on
  // the screen, so the last rectangle stays.
  if (p0[2] != 0.0f && p1[2] != 0.0f) {
    const Vector4f v{(p0[0] / p0[2] + 1) * 0.5f, (p1[0] / p1[2] + 1) * 0.5f, (p0[1] / p0[2] + 1) * 0.5f,
                     (p1[1] / p1[2] + 1) * 0.5f};
    if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w)) m_viewport = v;
  }
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
