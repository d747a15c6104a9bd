// Test helpers for the log: a private log folder for the process's log pipes and for private pipes.
#pragma once

#include <cstdlib>
#include <string>

#include "core/Log.h"
#include "core/LogPipe.h"
#include "support/TestEnv.h"

namespace PM::Test {

// Points PM_LOG_DIR at a fresh folder and reopens "Xout.log" and "Xerr.log" there.
class LogDir {
 public:
  LogDir() {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    CloseLogFiles();
  }
  ~LogDir() { CloseLogFiles(); }
  std::string Out() {
    OutLogPipe().Flush();
    return ReadFile(m_dir.File("Xout.log"));
  }
  std::string Err() {
    ErrLogPipe().Flush();
    return ReadFile(m_dir.File("Xerr.log"));
  }
  std::string File(const std::string& name) const { return m_dir.File(name); }

 private:
  TempDir m_dir;
};

}  // namespace PM::Test
