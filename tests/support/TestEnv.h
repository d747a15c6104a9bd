// Helpers shared by the test suites: temporary folders, process runs, and a check for leaked blocks.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/Block.h"

namespace PM::Test {

// The log folder of the test program: the one PM_LOG_DIR named at start, else one it made for itself
// (empty when neither).
extern char g_processLogFolder[4096];

// A fresh folder under the system's temporary folder, removed with everything in it at destruction.
// When PM_LOG_DIR names it then, PM_LOG_DIR goes back to the program's own log folder, so that a later
// message does not make the folder anew.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// Runs fn in a forked child and returns its wait status (for exit codes and fatal signals).
int RunInChild(void (*fn)(void*), void* arg = nullptr);

// A test whose own blocks must all be freed when it ends.
class BlockCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override { m_live = LiveBlockCount(); }
  void TearDown() override { EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test"; }

 private:
  long m_live = 0;
};

}  // namespace PM::Test
