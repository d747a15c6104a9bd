#include "scene/Container.h"

#include "scene/EngineClassRegistry.h"

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

static void DefineContainerClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SContainer_I>(SLeaf_I::kClassId, "SContainer"),
      ConcreteClass<TContainer_I>(TLeaf_I::kClassId, "TContainer"),
  };
  DefineClasses(classes);
  using C = SContainer_I;
  const MemberDef members[] = {
      IndexedAccessorMember<&C::GetObject, &C::SetObject, &C::ObjectCount, &C::RemoveObjects>(kMemberContainerObject,
                                                                                             "Object"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x074, &DefineContainerClasses);

}  // namespace PM
