#include "UIFixture.h"

#include "classes/EngineClassRegistry.h"
#include "script/object/ObjectModel.h"
#include "ui/WidgetClasses.h"

namespace PM::Test {

namespace {
// The scene classes the UI classes build on, defined as the engine class table defines them.
void DefineSceneBases() {
  for (uint32_t index : {0x040u, 0x042u}) {  // Object; SNode and TNode
    DefineClassFn define = FindEngineClassEntry(index);
    ASSERT_NE(define, nullptr) << index;
    define();
  }
}
}  // namespace

void UITableTest::SetUp() {
  m_savedErr = LogErrPipe();
  m_log = NewCounted<TextPipe>();
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

std::string UITableTest::TakeLog() { return m_log->Take(); }

}  // namespace PM::Test
