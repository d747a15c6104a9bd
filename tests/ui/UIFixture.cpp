#include "UIFixture.h"

#include "scene/Node.h"
#include "script/object/MemberDef.h"
#include "script/object/ObjectModel.h"
#include "ui/WidgetClasses.h"

namespace PM::Test {

namespace {
// The scene classes the UI classes build on, as the engine class table defines them.
void DefineSceneBases() {
  const ClassDef bases[] = {
      {Object_I::kClassId, kClassScriptObject, "", "Object", &Object_I::GetTypeRecord(), nullptr, nullptr, kClassKindObject},
      {SNode_I::kClassId, Object_I::kClassId, "", "SNode", &SNode_I::GetTypeRecord(), nullptr, nullptr, kClassKindObject},
      {TNode_I::kClassId, Object_I::kClassId, "", "TNode", &TNode_I::GetTypeRecord(), nullptr, nullptr, kClassKindObject},
  };
  DefineClasses(bases);
  DefineMember(FieldMember<&Object_I::m_name>(0x01FFF040, "Name"));
}
}  // namespace

void UITableTest::SetUp() {
  m_savedErr = LogErrPipe();
  m_log = NewCounted<CapturePipe>();
  LogErrPipe() = StreamPipeRef(m_log);
  InitScriptObjectModel();
  DefineSceneBases();
  m_classesBefore = ClassCount();
  RegisterWidgetClasses();
  m_classesAfter = ClassCount();
  BuildNameHashes();
  m_registerLog = TakeLog();
  m_live = LiveBlockCount();
}

void UITableTest::TearDown() {
  EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test";
  UninitEngineClasses();
  UninitScriptObjectModel();
  LogErrPipe() = m_savedErr;
}

std::string UITableTest::TakeLog() {
  std::string t;
  t.swap(m_log->text);
  return t;
}

}  // namespace PM::Test
