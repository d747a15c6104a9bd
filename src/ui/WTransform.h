// A widget that rotates and scales its subtree about pivots: a local matrix between the children and
// the parent. It draws nothing of its own.
#pragma once

#include "core/Matrix4f.h"
#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WTransform_I : public EngineClass<WTransform_I, Widget_I, ClassId::WTransform, "WTransform"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // The members; each Set marks the local matrix stale.
  Vector3f GetRotation() const { return m_rotation; }
  void SetRotation(const Vector3f& v) { m_rotation = v, m_stale = true; }
  uint32_t GetRotationOrder() const { return m_rotationOrder; }
  void SetRotationOrder(uint32_t v) { m_rotationOrder = v, m_stale = true; }
  Vector3f GetRotationPivot() const { return m_rotationPivot; }
  void SetRotationPivot(const Vector3f& v) { m_rotationPivot = v, m_stale = true; }
  Vector3f GetScaling() const { return m_scaling; }
  void SetScaling(const Vector3f& v) { m_scaling = v, m_stale = true; }
  Vector3f GetScalingPivot() const { return m_scalingPivot; }
  void SetScalingPivot(const Vector3f& v) { m_scalingPivot = v, m_stale = true; }

  // The local matrix, rebuilt first when a member changed since.
  const Matrix4f& LocalMatrix();
  // The Euler order number of RotationOrder (XYZ 0 ... ZYX 5); anything else is passed on unchecked.
  int RotationOrderNumber() const { return int(m_rotationOrder >> 24) - 1; }

  bool m_stale = true;
  Matrix4f m_local = kIdentityMatrix4f;
  Vector3f m_rotation{0, 0, 0};
  uint32_t m_rotationOrder = 0x01FFF038;  // Euler.RotationOrderEnum XYZ
  Vector3f m_rotationPivot{0, 0, 0};
  Vector3f m_scaling{1, 1, 1};
  Vector3f m_scalingPivot{0, 0, 0};
};

}  // namespace PM
