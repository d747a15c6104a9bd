#include "anim/ConnectionGroup.h"

#include <algorithm>

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

// One field of every connection as an indexed member. Reads outside the list give nil or 0 quietly,
// as the players read connections that a group may not have.
template <auto Field, class Tag>
struct ConnectionField {
  using V = typename Tag::Value;
  static Array<CGConnection>& List(ScriptObject* o) { return static_cast<ConnectionGroup_I*>(o)->m_connections; }
  static V GetAt(ScriptObject* o, uint32_t, int32_t i) {
    Array<CGConnection>& a = List(o);
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
    Array<CGConnection>& a = List(o);
    if (!SetIndexOk(o, m, i, a.Count())) return;
    if (i >= a.Count()) a.Grow(i + 1);
    if constexpr (std::is_same_v<Tag, VObject>) {
      static_cast<ConnectionGroup_I*>(o)->KeepWhileCommitting(a[i].*Field);
      a[i].*Field = v ? v : NilScriptObject();
    } else {
      a[i].*Field = v;
    }
  }
  static int32_t Size(ScriptObject* o, uint32_t) { return List(o).Count(); }
  static void Remove(ScriptObject* o, uint32_t, int32_t first, int32_t count) {
    Array<CGConnection>& a = List(o);
    // Everything from `first` on is kept, whatever Remove takes of it: the rest are held only until the
    // commit ends.
    auto* group = static_cast<ConnectionGroup_I*>(o);
    if (group->IsCommitting())
      for (int32_t k = std::max(first, 0); k < a.Count(); ++k) group->KeepWhileCommitting(a[k].object);
    a.Remove(first, count);
  }
  static MemberDef Member(uint32_t id, const char* name) {
    return CallbackIndexedMember<Tag>(id, name, &GetAt, &SetAt, &Size, &Remove);
  }
};

}  // namespace

void ConnectionGroup_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ConnectionGroup_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      ConnectionField<&CGConnection::object, VObject>::Member(kMemberConnectionObject, "Object"),
      ConnectionField<&CGConnection::member, VMemberID>::Member(kMemberConnectionMember, "Member"),
      ConnectionField<&CGConnection::memberIndex, VI32>::Member(kMemberConnectionMemberIndex, "MemberIndex"),
      ConnectionField<&CGConnection::memberMask, VU32>::Member(kMemberConnectionMemberMask, "MemberMask"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ConnectionGroup_I>();

}  // namespace PM
