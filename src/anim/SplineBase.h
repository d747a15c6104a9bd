// Base of the animation curves: keys at times. The key-time member reaches each spline's own keys
// through the virtual key-time operations, which is why it is declared here once.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class SplineBase_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF095;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineBase_I>("SplineBase"); }

  // The value at time t, written into the leading floats of `out` (as many as the spline is wide).
  // The base has no keys and writes nothing.
  virtual void Evaluate(float t, float* out);
  // The key-time member (its id passed along): time of key `index`, set it (growing the keys), the
  // key count, and removal of whole keys. The base answers 0 and changes nothing.
  virtual float GetKeyTime(uint32_t member, int32_t index);
  virtual void SetKeyTime(uint32_t member, int32_t index, float time);
  virtual int32_t GetKeyTimeCount(uint32_t member);
  virtual void RemoveKeyTimes(uint32_t member, int32_t first, int32_t count);
};

enum : uint32_t { kMemberSplineKeyTime = 0x01FFF095 };

}  // namespace PM
