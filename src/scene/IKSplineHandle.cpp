#include "scene/IKSplineHandle.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

TSimpleTransform_I* TIKSplineHandle_I::GetClusterHandle(int32_t i) const {
  if (i < 0 || i >= m_clusterHandles.Count()) return static_cast<TSimpleTransform_I*>(NilScriptObject());
  return m_clusterHandles[i].Get();
}

void TIKSplineHandle_I::SetClusterHandle(int32_t i, TSimpleTransform_I* handle) {
  if (!SetIndexOk(this, kMemberTIKSplineHandleClusterHandleArray, i, m_clusterHandles.Count())) return;
  if (i >= m_clusterHandles.Count()) m_clusterHandles.Grow(i + 1);
  m_clusterHandles[i] = handle;
}

void SIKSplineHandle_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SIKSplineHandle_I>(),
      ConcreteClass<TIKSplineHandle_I>(),
  };
  DefineClasses(classes);
  using T = TIKSplineHandle_I;
  const MemberDef members[] = {
      FieldMember<&T::m_splineCurve>(0x01FFF0F5, "SplineCurve"),
      IndexedAccessorMember<&T::GetClusterHandle, &T::SetClusterHandle, &T::ClusterHandleCount,
                            &T::RemoveClusterHandles>(kMemberTIKSplineHandleClusterHandleArray, "ClusterHandleArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SIKSplineHandle_I>();

}  // namespace PM
