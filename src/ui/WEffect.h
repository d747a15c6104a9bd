// A keyframed effect that blends its owner widget's members between keyframes.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/String.h"
#include "ui/UIClass.h"

namespace PM {

class Widget_I;

class WEffect_I : public EngineClass<WEffect_I, Object_I, ClassId::WEffect, "WEffect"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The widget whose members the effect blends; held weakly, since the widget holds the effect.
  Widget_I* GetOwner() const { return m_owner.Get(); }
  void SetOwner(Widget_I* owner) { m_owner = owner; }

  int32_t m_blendTo = 0;
  float m_blendTime = 1.0f;
  float m_blendCurrent = -1.0f;
  float m_blendRendered = -1.0f;
  Array<uint32_t> m_visibility;
  Array<Vector4f> m_branchColor;
  Array<Vector3f> m_position;
  Array<Vector3f> m_dimension;
  Array<Vector4f> m_color;
  Array<int32_t> m_state;
  Array<String> m_sound;
  WeakObj<Widget_I> m_owner;
};

}  // namespace PM
