#include "scene/Container.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

ScriptObject* SContainer_I::GetObject(int32_t i) const {
  if (i < 0) ReportBadIndex("Get", this, kMemberContainerObject, i, m_objects.Count());
  if (i < 0 || i >= m_objects.Count()) return NilScriptObject();
  return m_objects[i].Get();
}

void SContainer_I::SetObject(int32_t i, ScriptObject* object) {
  if (!SetIndexOk(this, kMemberContainerObject, i, m_objects.Count())) return;
  if (i >= m_objects.Count()) m_objects.Grow(i + 1);
  m_objects[i] = object;
}

void SContainer_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SContainer_I>(),
      ConcreteClass<TContainer_I>(),
  };
  DefineClasses(classes);
  using C = SContainer_I;
  const MemberDef members[] = {
      IndexedAccessorMember<&C::GetObject, &C::SetObject, &C::ObjectCount, &C::RemoveObjects>(kMemberContainerObject,
                                                                                              "Object"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SContainer_I>();

}  // namespace PM
