// A keyframed effect that blends its owner widget's members between keyframes.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/String.h"
#include "ui/UIClass.h"

namespace PM {

class Widget_I;
struct WidgetInput;

class WEffect_I : public EngineClass<WEffect_I, Object_I, ClassId::WEffect, "WEffect"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The widget whose members the effect blends; held weakly, since the widget holds the effect.
  Widget_I* GetOwner() const { return m_owner.Get(); }
  void SetOwner(Widget_I* owner) { m_owner = owner; }

  // The BlendTo member: a new target restarts a blend that rests on a keyframe with a short first step.
  int32_t GetBlendTo() const { return m_blendTo; }
  void SetBlendTo(int32_t target);
  // An event delivered through a handler: ShowWidget blends to keyframe 1, HideWidget to 0.
  void HandleEvent(uint32_t event, WidgetInput* input);
  // Advances the blend to `seconds` (time since the window was made) and writes the owner's members.
  void Update(double seconds);
  // Writes the current state into the owner without advancing.
  void Commit();

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
  double m_lastTime = -1.0;  // of the last Update; negative before the first
  bool m_changed = false;    // BlendTo was written and EffectFinished is still due
  int32_t m_restartCount = 0;

 private:
  void Step(float step);
  // Writes the keyframe values at blend position `current` into the owner.
  void Apply(Widget_I* owner, float current);
};

}  // namespace PM
