// A curve of scalar keys with in and out tangents: cubic Hermite segments, with linear fits, smooth
// fits and step keys.
#pragma once

#include "anim/SplineFitted.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineScalarf_I
    : public EngineClass<SplineScalarf_I, SplineFitted<KeyScalarf>, ClassId::SplineScalarf, "SplineScalarf"> {
 public:
  static void Define();
  // Removing key times removes whole keys.
  void RemoveKeyTimes(uint32_t, int32_t first, int32_t count) override { RemoveKeyRange(first, count); }
};

enum : uint32_t {
  kMemberScalarKeyValue = 0x01FFF096,
  kMemberScalarKeyTangentIn = 0x02FFF096,
  kMemberScalarKeyTangentOut = 0x03FFF096,
};

}  // namespace PM
