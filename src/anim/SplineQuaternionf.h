// A curve of rotation keys, interpolated spherically along the shorter arc.
#pragma once

#include "anim/SplineKeyed.h"
#include "scene/EngineClass.h"

namespace PM {

class SplineQuaternionf_I : public SplineKeyed<KeyQuaternionf> {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF09A;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineQuaternionf_I>("SplineQuaternionf"); }
  static ScriptObject* Create() { return NewEngineObject<SplineQuaternionf_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineQuaternionf_I>(extraBytes); }

  // Through the curve interface the rotation is written as x, y, z, w.
  using SplineKeyed<KeyQuaternionf>::Evaluate;
  // Removing key times removes whole keys.
  void RemoveKeyTimes(uint32_t, int32_t first, int32_t count) override { RemoveKeyRange(first, count); }

  // The rotation at t; no keys leave `out` as it was.
  virtual void Evaluate(Quaternionf& out, float t);
  // The rotation at t written through the Set of a Vector4f member of `object` (or of its element
  // `index`); a member of another type logs and is left alone. The second argument is not used.
  virtual void EvaluateToMember(float t, float unused, ScriptObject* object, uint32_t member);
  virtual void EvaluateToIndexedMember(float t, float unused, ScriptObject* object, uint32_t member, int32_t index);
  virtual void SortKeys();
  virtual int32_t FindSegment(float t);
  virtual void SortKeyRange(int32_t first, int32_t last);
};

}  // namespace PM
