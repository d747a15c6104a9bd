#include "anim/PoseBlend.h"

#include <algorithm>

#include "anim/BlendControl.h"
#include "anim/ConnectionGroup.h"
#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "script/object/FilledIndexedMember.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

constexpr float kWeightBound = 0.0009765625f;  // 2^-10: smaller weights are skipped

// Writes one output into its connection's member: an F32 takes it, a Vector3f takes it in the
// components its mask selects; whole arrays are skipped quietly, anything else is reported.
void WriteOutput(const CGConnection& c, float w) {
  ScriptObject* obj = c.object.Get();
  if (!obj || IsNilObject(obj)) return;
  const MemberRecord* r = ConnectionGroup_I::ResolveMember(obj, c.member);
  if (!r || (r->flags & kMemberArray)) return;
  const bool indexed = (r->flags & kMemberIndexed) != 0;
  Obj<ScriptObject> hold(obj);  // a Set may reach the group and move its list
  if (r->valueType == kClassF32) {
    if (indexed)
      MemberSetAt<VF32>(obj, c.member, c.memberIndex, w);
    else
      MemberSet<VF32>(obj, c.member, w);
    return;
  }
  if (r->valueType == kClassVector3f) {
    Vector3f v = indexed ? MemberGetAt<VVector3f>(obj, c.member, c.memberIndex) : MemberGet<VVector3f>(obj, c.member);
    if (c.memberMask & 1) v.x = w;
    if (c.memberMask & 2) v.y = w;
    if (c.memberMask & 4) v.z = w;
    if (indexed)
      MemberSetAt<VVector3f>(obj, c.member, c.memberIndex, v);
    else
      MemberSet<VVector3f>(obj, c.member, v);
    return;
  }
  LogWarn("PoseBlend: unsupported attribute type.");
}

}  // namespace

void PoseBlend_I::Evaluate() {
  const int32_t n = m_poseDefault.Count();
  Array<float> w;
  w.SetCountFill(n, 0.0f);
  for (int32_t i = 0; i < m_valueArray.Count(); ++i) {
    // Inputs without a control or an operator are skipped, as are their missing values.
    if (i >= m_blendControl.Count() || i >= m_operatorArray.Count()) continue;
    const BlendControl_I* control = m_blendControl[i].Get();
    if (!control || IsNilObject(control)) continue;
    const float wt = control->m_weight;
    if (wt > -kWeightBound && wt < kWeightBound) continue;
    const VertexDataF32_I* input = m_valueArray[i].Get();
    if (!input || IsNilObject(input)) continue;
    const float* v = input->m_data.Data();
    const uint32_t op = m_operatorArray[i];
    const int32_t last = std::min(n, input->m_data.Count()) - 1;
    switch (op) {
      case kOperatorAdd:
        for (int32_t j = last; j >= 0; --j) w[j] = w[j] + wt * v[j];
        break;
      case kOperatorBlend:
        for (int32_t j = last; j >= 0; --j) w[j] = (1.0f - wt) * w[j] + wt * v[j];
        break;
      case kOperatorMin:
        for (int32_t j = last; j >= 0; --j)
          if (w[j] < v[j]) w[j] = wt * v[j] + (1.0f - wt) * w[j];
        break;
      case kOperatorMax:
        for (int32_t j = last; j >= 0; --j)
          if (w[j] > v[j]) w[j] = wt * v[j] + (1.0f - wt) * w[j];
        break;
      case kOperatorMul:
        for (int32_t j = last; j >= 0; --j)
          if (v[j] <= 1e10f) w[j] = wt * w[j] * v[j];
        break;
      default:
        LogWarn("PoseBlend: unsupported operator ", (op & 0x00FFFFFF) == 0x00FFF0C3 ? op >> 24 : op, ".");
        break;
    }
  }
  for (int32_t j = 0; j < n; ++j) w[j] = w[j] + m_poseDefault[j];
  const ConnectionGroup_I* group = m_connectionGroup.Get();
  if (!group || IsNilObject(group)) return;
  for (int32_t j = n - 1; j >= 0; --j) {
    if (j >= group->m_connections.Count()) continue;
    const CGConnection c = group->m_connections[j];
    WriteOutput(c, w[j]);
  }
}

void PoseBlend_I::Define() {
  const ClassDef classes[] = {ConcreteClass<PoseBlend_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FilledIndexedMember<&PoseBlend_I::m_blendControl>(0x01FFF0C2, "BlendControl"),
      FieldMember<&PoseBlend_I::m_poseDefault>(0x02FFF0C2, "PoseDefault"),
      FieldMember<&PoseBlend_I::m_operatorArray, VEnum>(0x03FFF0C2, "OperatorArray"),
      FilledIndexedMember<&PoseBlend_I::m_valueArray>(0x04FFF0C2, "ValueArray"),
      FieldMember<&PoseBlend_I::m_connectionGroup>(0x05FFF0C2, "ConnectionGroup"),
  };
  DefineMembers(members);
  static const char* const kValueNames[] = {"Add", "Blend", "Min", "Max", "Mul"};
  DefineEnumType(MakeEnumType(0xFFFFF0C3, "PoseBlend", "OperatorEnum", kValueNames));
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<PoseBlend_I>();

}  // namespace PM
