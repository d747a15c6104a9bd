// Shared fixture of the UI class table tests: the object model with the scene base classes and the UI
// classes defined, the name hashes built, and the error log captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "script/object/ClassDatabase.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptObject.h"
#include "support/LogCapture.h"

namespace PM::Test {

class UITableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Everything logged since the last call.
  std::string TakeLog();

  uint32_t m_classesBefore = 0;
  uint32_t m_classesAfter = 0;
  std::string m_registerLog;

 private:
  TextPipe* m_log = nullptr;
  StreamPipeRef m_savedErr;
  long m_live = 0;
};

}  // namespace PM::Test
