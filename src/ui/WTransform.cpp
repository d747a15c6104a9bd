#include "ui/WTransform.h"

#include <cmath>

#include "ui/WidgetWalk.h"

namespace PM {

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;

Matrix4f Translation(const Vector3f& t) {
  Matrix4f m;
  m.SetTranslation(t);
  return m;
}

}  // namespace

const Matrix4f& WTransform_I::LocalMatrix() {
  if (!m_stale) return m_local;
  // Row vectors: scale about the scaling pivot first, then rotate about the rotation pivot.
  Matrix4f scale, rotation;
  scale.SetScale(m_scaling);
  const Vector3f& sp = m_scalingPivot;
  const Vector3f& rp = m_rotationPivot;
  Matrix4fC::MakeRotation(
      rotation, {m_rotation.x * kRadiansPerDegree, m_rotation.y * kRadiansPerDegree, m_rotation.z * kRadiansPerDegree},
      RotationOrderNumber());
  m_local = Translation({-sp.x, -sp.y, -sp.z});
  m_local.MultiplyAffine(scale);
  m_local.MultiplyAffine(Translation({sp.x - rp.x, sp.y - rp.y, sp.z - rp.z}));
  m_local.MultiplyAffine(rotation);
  m_local.MultiplyAffine(Translation(rp));
  // Whole-number offsets keep the children's edges on the pixel grid.
  for (int i = 12; i < 15; ++i) m_local.m[i] = std::floor(m_local.m[i]);
  m_stale = false;
  return m_local;
}

void WTransform_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  WidgetLayout& l = m_layout;
  if (l.visibility == 0) return;
  WidgetWalkGuard guard("WTransform::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  if (keepSize == 0) {
    l.computedSize = l.dimension;
    l.ApplyParent(*parent);
  }
  l.PlaceIn(parent->world);
  l.world.SetProductAffine(LocalMatrix(), l.world);
  l.inverseValid = 0;
  l.combinedInputFlags = (parent->combinedInputFlags & 2) | l.ownInputFlags;
  if (l.clipChildren) {
    const float x = l.world.m[12], y = l.world.m[13];
    l.ClipTo(*parent, x, x + l.computedSize.x, y, y + l.computedSize.y);
  } else {
    l.InheritClip(*parent);
  }
  const void* nil = NilObject();
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (child.Get() != nil) child->UpdateLayoutTree(&l, 0);
}

void WTransform_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  const void* nil = NilObject();
  const Array<Obj<Widget_I>> children(m_widgetArray);  // drawing may run scripts' callbacks
  for (const Obj<Widget_I>& child : children)
    if (child.Get() != nil) child->Draw(context, engine);
}

void WTransform_I::Define() {
  DefineUIClass<WTransform_I, Widget_I>();
  using T = WTransform_I;
  const MemberDef members[] = {
      AccessorMember<&T::GetRotation, &T::SetRotation>(0x01FFF0DF, "Rotation"),
      AccessorMember<&T::GetRotationOrder, &T::SetRotationOrder, VEnum>(0x02FFF0DF, "RotationOrder"),
      AccessorMember<&T::GetRotationPivot, &T::SetRotationPivot>(0x03FFF0DF, "RotationPivot"),
      AccessorMember<&T::GetScaling, &T::SetScaling>(0x04FFF0DF, "Scaling"),
      AccessorMember<&T::GetScalingPivot, &T::SetScalingPivot>(0x05FFF0DF, "ScalingPivot"),
  };
  DefineMembers(members);
}

}  // namespace PM
