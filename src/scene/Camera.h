// SCamera and TCamera: the camera's lens (vertical field of view and film aperture). Field of view,
// focal length and aperture are kept consistent by the lens setters.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SCamera_I : public EngineClass<SCamera_I, SLeaf_I, ClassId::SCamera, "SCamera"> {
 public:
  static void Define();
  // The range a field of view is kept in, in degrees: a zero or straight angle has no projection.
  static constexpr float kMinFieldOfView = 1.52587890625e-5f;  // 2^-16
  static constexpr float kMaxFieldOfView = 179.99998f;

  SCamera_I();

  float GetFieldOfView() const { return m_fieldOfView; }
  float GetFocalLength() const { return m_focalLength; }
  Vector2f GetAperture() const { return m_aperture; }
  // Stores the clamped angle and derives the focal length from it.
  void SetFieldOfView(float degrees);
  // Store the value and derive the angle (clamped), keeping the other lens value.
  void SetFocalLength(float millimetres);
  void SetAperture(const Vector2f& inches);
  // Copies the three lens values as they are (cloning must not re-derive one from another).
  void CopyLensFrom(const SCamera_I& src);

  // Stored in this order.
  float m_fieldOfView = 45;             // degrees, over the vertical aperture
  float m_focalLength = 0;              // millimetres
  Vector2f m_aperture{1.417f, 0.945f};  // inches
  float m_focusDistance = 0;
  float m_focusRadius = 0;
};

class TCamera_I : public EngineClass<TCamera_I, TLeaf_I, ClassId::TCamera, "TCamera", SCamera_I> {
 public:
};

enum : uint32_t {
  kMemberCameraFieldOfView = 0x01FFF054,
  kMemberCameraFocalLength = 0x02FFF054,
  kMemberCameraAperture = 0x03FFF054,
  kMemberCameraFocusDistance = 0x04FFF054,
  kMemberCameraFocusRadius = 0x05FFF054,
};

}  // namespace PM
