// The curves of an animation and the connection each of them drives.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class SplineBase_I;

class AnimationLibrary_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF092;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AnimationLibrary_I>("AnimationLibrary"); }
  static ScriptObject* Create() { return NewEngineObject<AnimationLibrary_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AnimationLibrary_I>(extraBytes); }

  // Curve i and GroupPort i belong together: setting either grows both (new curves nil, new ports
  // -1), removing through either removes the same range from both.
  SplineBase_I* GetCurve(int32_t i);
  void SetCurve(int32_t i, SplineBase_I* curve);
  int32_t GetGroupPort(int32_t i);
  void SetGroupPort(int32_t i, int32_t port);
  int32_t GetCurveCount() { return m_curve.Count(); }
  void RemoveCurves(int32_t first, int32_t count);

  double m_startTime = 0.0;
  double m_endTime = 0.0;
  Array<Obj<SplineBase_I>> m_curve;
  Array<int32_t> m_groupPort;

 private:
  bool GrowTo(uint32_t member, int32_t i);
};

enum : uint32_t {
  kMemberLibraryStartTime = 0x01FFF092,
  kMemberLibraryEndTime = 0x02FFF092,
  kMemberLibraryCurve = 0x03FFF092,
  kMemberLibraryGroupPort = 0x04FFF092,
};

}  // namespace PM
