// A curve of scalar keys with in and out tangents: cubic Hermite segments, with linear fits, smooth
// fits and step keys.
#pragma once

#include "anim/SplineFitted.h"
#include "scene/EngineClass.h"

namespace PM {

class SplineScalarf_I : public SplineFitted<KeyScalarf> {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF096;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineScalarf_I>("SplineScalarf"); }
  static ScriptObject* Create() { return NewEngineObject<SplineScalarf_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineScalarf_I>(extraBytes); }

  // Removing key times removes whole keys.
  void RemoveKeyTimes(uint32_t, int32_t first, int32_t count) override { RemoveKeyRange(first, count); }
};

enum : uint32_t {
  kMemberScalarKeyValue = 0x01FFF096,
  kMemberScalarKeyTangentIn = 0x02FFF096,
  kMemberScalarKeyTangentOut = 0x03FFF096,
};

}  // namespace PM
