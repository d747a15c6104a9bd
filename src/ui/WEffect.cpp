#include "ui/WEffect.h"

#include <cmath>

#include "core/Log.h"
#include "script/object/MemberAccess.h"
#include "ui/WButton.h"
#include "ui/WControl.h"
#include "ui/WEvent.h"
#include "ui/Widget.h"

namespace PM {

namespace {

// Member ids the step writes into its owner.
enum : uint32_t {
  kMemberPosition = 0x06FFF0D8,
  kMemberDimension = 0x07FFF0D8,
  kMemberInputVisibility = 0x0EFFF0D8,
  kMemberBranchColor = 0x11FFF0D8,
  kMemberFontColor = 0x02FFF0EB,
  kMemberButtonState = 0x01FFF0E9,
};

// Blend positions past this are no keyframe index any script could mean; they jump to the target.
constexpr float kMaxBlendPosition = float(1 << 24);
// The first step after a restart: the blend leaves its keyframe at once, however long the pause was.
constexpr double kRestartStep = 1.0 / 65536.0;

float Mix(float a, float b, float t) { return (1.0f - t) * a + t * b; }
Vector3f Mix(const Vector3f& a, const Vector3f& b, float t) {
  return {Mix(a.x, b.x, t), Mix(a.y, b.y, t), Mix(a.z, b.z, t)};
}
Vector4f Mix(const Vector4f& a, const Vector4f& b, float t) {
  return {Mix(a.x, b.x, t), Mix(a.y, b.y, t), Mix(a.z, b.z, t), Mix(a.w, b.w, t)};
}

}  // namespace

void WEffect_I::SetBlendTo(int32_t target) {
  if (target != m_blendTo && m_blendCurrent == std::floor(m_blendCurrent)) m_restartCount = 1;
  m_changed = true;
  m_blendTo = target < 0 ? 0 : target;
}

void WEffect_I::HandleEvent(uint32_t event, WidgetInput*) {
  if (event == kWEventShowWidget) MemberSet<VI32>(this, 0x01FFF0C4, 1);
  if (event == kWEventHideWidget) MemberSet<VI32>(this, 0x01FFF0C4, 0);
}

void WEffect_I::Update(double seconds) {
  if (IsNilObject(m_owner.Get())) {
    LogWarn("WEffect: \"", m_name, "\" has no owner.");
    return;
  }
  if (m_lastTime < 0.0 || m_lastTime > seconds) m_lastTime = seconds;
  double step = seconds - m_lastTime;
  m_lastTime = seconds;
  if (m_restartCount > 0) {
    --m_restartCount;
    if (step > kRestartStep) step = kRestartStep;
  }
  m_blendRendered = m_blendCurrent;
  Step(float(step));
}

void WEffect_I::Commit() {
  if (IsNilObject(m_owner.Get())) {
    LogError("WEffect_D: \"", m_name, "\" has no owner for Commit().");
    return;
  }
  Step(0.0f);
}

void WEffect_I::Step(float step) {
  const Obj<Widget_I> owner(m_owner.Get());  // its handlers run below and may drop it
  const float target = float(m_blendTo);
  if (m_changed && m_blendRendered == target && m_blendCurrent == target) {
    m_changed = false;
    owner->SendEvent(kWEventEffectFinished, nullptr);
    if (IsNilObject(m_owner.Get())) return;
  }
  float current = m_blendCurrent;
  // A script may write any float into the two blend members; they must not become an index.
  const bool finiteTime = std::isfinite(m_blendTime);
  if (!std::isfinite(current) || current > kMaxBlendPosition) current = target;
  if (current < 0.0f || !finiteTime || m_blendTime <= 0.0f) current = target;
  if (current < target) {
    current += step / m_blendTime;
    if (current >= target) current = target;
  } else if (current > target) {
    current -= step / m_blendTime;
    if (current <= target) current = target;
  }
  if (current < 0.0f) {
    LogError("current<0");
    current = target;
  }
  if (current == m_blendCurrent && step != 0.0f) return;
  m_blendCurrent = current;
  Apply(owner.Get(), current);
}

void WEffect_I::Apply(Widget_I* owner, float current) {
  const int32_t i = int32_t(std::floor(current));
  const float f = current - float(i);
  int32_t j = i;
  float t = f;
  if (i > 0 && f == 0.0f) {
    j = i - 1;
    t = 1.0f;
  }
  int32_t v = -1;
  if (m_branchColor.Count() > j + 1) {
    const Vector4f c = Mix(m_branchColor[j], m_branchColor[j + 1], t);
    MemberSet<VVector4f>(owner, kMemberBranchColor, c);
    const Array<Obj<Widget_I>> children(owner->m_widgetArray);
    for (const Obj<Widget_I>& child : children)
      if (!child.IsNil()) MemberSet<VU32>(child.Get(), kMemberInputVisibility, c.w >= 1.0f ? 1u : 0u);
    v = c.w > 0.0f ? 1 : 0;
  }
  if (m_visibility.Count() > i && f == 0.0f) v = int32_t(m_visibility[i]);
  if (v != -1) MemberSet<VU32>(owner, kMemberWidgetVisibility, uint32_t(v));
  if (m_position.Count() > j + 1)
    MemberSet<VVector3f>(owner, kMemberPosition, Mix(m_position[j], m_position[j + 1], t));
  if (m_dimension.Count() > j + 1)
    MemberSet<VVector3f>(owner, kMemberDimension, Mix(m_dimension[j], m_dimension[j + 1], t));
  if (m_color.Count() > j + 1 && owner->IsA(WControl_I::kClassId))
    MemberSet<VVector4f>(owner, kMemberFontColor, Mix(m_color[j], m_color[j + 1], t));
  if (m_state.Count() > m_blendTo && owner->IsA(WButton_I::kClassId))
    MemberSet<VI32>(owner, kMemberButtonState, m_state[m_blendTo]);
}

void WEffect_I::Define() {
  DefineUIClass<WEffect_I, Object_I>();
  const MemberDef members[] = {
      AccessorMember<&WEffect_I::GetBlendTo, &WEffect_I::SetBlendTo>(0x01FFF0C4, "BlendTo"),
      FieldMember<&WEffect_I::m_blendTime>(0x02FFF0C4, "BlendTime"),
      FieldMember<&WEffect_I::m_blendCurrent>(0x03FFF0C4, "BlendCurrent"),
      ReadOnly(FieldMember<&WEffect_I::m_blendRendered>(0x04FFF0C4, "BlendRendered", 0x5)),
      FieldMember<&WEffect_I::m_visibility>(0x05FFF0C4, "Visibility"),
      FieldMember<&WEffect_I::m_branchColor>(0x06FFF0C4, "BranchColor"),
      FieldMember<&WEffect_I::m_position>(0x07FFF0C4, "Position"),
      FieldMember<&WEffect_I::m_dimension>(0x08FFF0C4, "Dimension"),
      FieldMember<&WEffect_I::m_color>(0x09FFF0C4, "Color"),
      FieldMember<&WEffect_I::m_state>(0x0AFFF0C4, "State"),
      FieldMember<&WEffect_I::m_sound>(0x0BFFF0C4, "Sound"),
  };
  DefineMembers(members);
}

}  // namespace PM
