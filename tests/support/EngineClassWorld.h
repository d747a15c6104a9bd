// The engine world with checks of class-table expectations: a class's id, base, own member count and
// factories, an enum type's values, a member's record.
#pragma once

#include "scene/EngineWorld.h"
#include "script/object/MemberDef.h"

namespace PM::Test {

// What the class list says of one class.
struct ClassExpectation {
  uint32_t id;
  uint32_t base;
  const char* name;
  int ownMembers;
  bool concrete;
};

class EngineClassWorld : public EngineWorldTest {
 protected:
  // Members the class itself declares.
  static int OwnMemberCount(uint32_t classId) {
    const MemberTable* t = ValidTable(classId);
    if (!t) return -1;
    int n = 0;
    for (int32_t i = 1; i < t->count; ++i) n += t->records[i].id != 0;
    return n;
  }

  template <size_t N>
  static void ExpectClasses(const ClassExpectation (&classes)[N]) {
    for (const ClassExpectation& c : classes) {
      SCOPED_TRACE(c.name);
      const MemberTable* t = ValidTable(c.id);
      ASSERT_NE(t, nullptr);
      EXPECT_STREQ(ClassName(c.id), c.name);
      EXPECT_EQ(t->baseId, c.base);
      EXPECT_EQ(t->kind, kClassKindObject);
      EXPECT_EQ(OwnMemberCount(c.id), c.ownMembers);
      EXPECT_EQ(FindClassID(c.name), c.id);
      ASSERT_NE(t->type, nullptr);
      EXPECT_EQ(t->factory != nullptr, c.concrete);
      EXPECT_EQ(t->factoryExtra != nullptr, c.concrete);
      // Create-by-id: an object of the class, or nil for an abstract class.
      Obj<ScriptObject> o = ScriptObject::Create(c.id);
      if (c.concrete) {
        EXPECT_EQ(o->GetClassID(), c.id);
        EXPECT_EQ(HeaderOf(o.Get())->type, t->type);
        Obj<ScriptObject> extra = ScriptObject::CreateExtra(c.id, 16);
        EXPECT_EQ(extra->GetClassID(), c.id);
      } else {
        EXPECT_TRUE(o.IsNil());
      }
    }
  }

  // An enum type's class and its values in index order.
  static void ExpectEnum(uint32_t id, const char* owner, const char* name, std::initializer_list<const char*> values) {
    SCOPED_TRACE(name);
    const MemberTable* t = ValidTable(id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->kind, kClassKindEnum);
    EXPECT_EQ(t->baseId, kClassScriptObject);
    EXPECT_STREQ(t->nameSpace, owner);
    EXPECT_STREQ(t->name, name);
    EXPECT_EQ(t->factory, nullptr);
    EXPECT_EQ(OwnMemberCount(id), int(values.size()));
    uint32_t index = 1;
    for (const char* v : values) {
      const MemberRecord* r = MemberRecordOf(MakeMemberId(index++, id));
      ASSERT_NE(r, nullptr);
      EXPECT_STREQ(r->name, v);
      EXPECT_EQ(r->flags, kMemberEnumValue);
      EXPECT_EQ(uint32_t(r->enumValue), r->id);
    }
  }

  // A member's name, flags and value type.
  static void ExpectMember(uint32_t id, const char* name, uint32_t flags, uint32_t valueType) {
    SCOPED_TRACE(name);
    const MemberRecord* r = MemberRecordOf(id);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->name, name);
    EXPECT_EQ(r->flags, flags);
    EXPECT_EQ(r->valueType, valueType);
  }
};

}  // namespace PM::Test
