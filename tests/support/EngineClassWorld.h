// A fixture that builds the script world with the engine class table, and the checks of class-table
// expectations that the render, animation and scene suites share.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "scene/EngineClasses.h"
#include "script/object/MemberDef.h"
#include "script/object/ObjectModel.h"

namespace PM::Test {

// Collects the error log.
class ErrorCapture : public StreamPipe {
 public:
  int64_t Write(const void* bytes, int64_t n) override {
    text.append(static_cast<const char*>(bytes), size_t(n));
    return n;
  }
  std::string text;
};

// What the class list says of one class.
struct ClassExpectation {
  uint32_t id;
  uint32_t base;
  const char* name;
  int ownMembers;
  bool concrete;
};

class EngineClassWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedErr = LogErrPipe();
    m_log = NewCounted<ErrorCapture>();
    LogErrPipe() = StreamPipeRef(m_log);
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    m_registrationLog = TakeLog();
    m_live = LiveBlockCount();
  }
  void TearDown() override {
    EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test";
    UninitScriptObjectModel();
    LogErrPipe() = m_savedErr;
  }
  std::string TakeLog() {
    std::string t;
    t.swap(m_log->text);
    return t;
  }

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

  ErrorCapture* m_log = nullptr;
  StreamPipeRef m_savedErr;
  std::string m_registrationLog;
  long m_live = 0;
};

}  // namespace PM::Test
