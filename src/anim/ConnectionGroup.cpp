#include "anim/ConnectionGroup.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

namespace {

// One field of every connection as an indexed member. Reads outside the list give nil or 0 quietly,
// as the players read connections that a group may not have.
template <auto Field, class Tag>
struct ConnectionField {
  using V = typename Tag::Value;
  static Array<Connection>& List(ScriptObject* o) { return static_cast<ConnectionGroup_I*>(o)->m_connections; }
  static V GetAt(ScriptObject* o, uint32_t, int32_t i) {
    Array<Connection>& a = List(o);
    if (i < 0 || i >= a.Count()) {
      if constexpr (std::is_same_v<Tag, VObject>)
        return NilScriptObject();
      else
        return V{};
    }
    if constexpr (std::is_same_v<Tag, VObject>)
      return (a[i].*Field).Get();
    else
      return a[i].*Field;
  }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, V v) {
    Array<Connection>& a = List(o);
    if (!SetIndexOk(o, m, i, a.Count())) return;
    if (i >= a.Count()) a.Grow(i + 1);
    if constexpr (std::is_same_v<Tag, VObject>)
      a[i].*Field = v ? v : NilScriptObject();
    else
      a[i].*Field = v;
  }
  static int32_t Size(ScriptObject* o, uint32_t) { return List(o).Count(); }
  static void Remove(ScriptObject* o, uint32_t, int32_t first, int32_t count) { List(o).Remove(first, count); }
  static MemberDef Member(uint32_t id, const char* name) {
    return CallbackIndexedMember<Tag>(id, name, &GetAt, &SetAt, &Size, &Remove);
  }
};

void DefineConnectionGroupClass() {
  const ClassDef classes[] = {ConcreteClass<ConnectionGroup_I>(Object_I::kClassId, "ConnectionGroup")};
  DefineClasses(classes);
  const MemberDef members[] = {
      ConnectionField<&Connection::object, VObject>::Member(kMemberConnectionObject, "Object"),
      ConnectionField<&Connection::member, VMemberID>::Member(kMemberConnectionMember, "Member"),
      ConnectionField<&Connection::memberIndex, VI32>::Member(kMemberConnectionMemberIndex, "MemberIndex"),
      ConnectionField<&Connection::memberMask, VU32>::Member(kMemberConnectionMemberMask, "MemberMask"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x094, &DefineConnectionGroupClass);

}  // namespace
}  // namespace PM
