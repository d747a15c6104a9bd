// Fixture of the face-generation tests: a script world, and the stand-in module reached through
// PM_MODULE_DIR with its call record and live-object count.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>

#include "MeshWorld.h"
#include "geometry/VertexGeneratorFG.h"
#include "platform/ModuleLoader.h"

namespace PM::Test {

class FaceGenWorld : public MeshWorld {
 protected:
  void SetUp() override {
    unsetenv("PM_MODULE_DIR");
    MeshWorld::SetUp();
  }
  void TearDown() override {
    MeshWorld::TearDown();
    unsetenv("PM_MODULE_DIR");
  }

  // Points the loader at the stand-in module with its factory; answers false (with a failure) when
  // its test functions cannot be found.
  bool UseModule() {
    setenv("PM_MODULE_DIR", PM_FACEGEN_DIR, 1);
    ModuleHandle m = Module::Load("Pelmora010276FG.DLL");
    if (!m) {
      ADD_FAILURE() << "stand-in module missing";
      return false;
    }
    m_live = reinterpret_cast<int (*)()>(Module::Symbol(m, "FaceGenStandInLiveObjects"));
    m_calls = reinterpret_cast<const char* (*)()>(Module::Symbol(m, "FaceGenStandInCalls"));
    m_clear = reinterpret_cast<void (*)()>(Module::Symbol(m, "FaceGenStandInClearCalls"));
    EXPECT_TRUE(m_live && m_calls && m_clear);
    return m_live && m_calls && m_clear;
  }
  // The module's calls since the last time, one "slot(arguments)" a line.
  std::string Calls() {
    std::string c = m_calls();
    m_clear();
    return c;
  }
  int LiveModules() { return m_live(); }
  // The log since the last time without its Debug lines (the loader reports its search there).
  std::string Logged() {
    std::string kept, all = m_log.Take();
    for (size_t at = 0; at < all.size();) {
      const size_t end = std::min(all.find('\n', at), all.size() - 1) + 1;
      if (all.compare(at, 6, "Debug ") != 0) kept += all.substr(at, end - at);
      at = end;
    }
    return kept;
  }

  // Copies the stand-in's files into the temporary folder.
  void CopyData() {
    for (const char* f : {"face.fgm", "face.fgx", "face.fgd", "face.fgc"})
      WriteFile(m_dir.File(f), ReadFile(std::string(PM_FACEGEN_DATA) + "/" + f));
  }
  // A generator named v whose four file objects name the stand-in's files.
  VertexGeneratorFG_I* Generator(const std::string& more = std::string()) {
    return Parse<VertexGeneratorFG_I>(
        "FileObject:fm . { .FileName \"face.fgm\"; };\nFileObject:fx . { .FileName \"face.fgx\"; };\n"
        "FileObject:fd . { .FileName \"face.fgd\"; };\nFileObject:fc . { .FileName \"face.fgc\"; };\n"
        "VertexGeneratorFG:v . { .MeshFileObject FileObject:fm; .MatchFileObject FileObject:fx;"
        " .DataFileObject FileObject:fd; .ControlFileObject FileObject:fc; " +
            more + " };\n",
        "v");
  }

  int (*m_live)() = nullptr;
  const char* (*m_calls)() = nullptr;
  void (*m_clear)() = nullptr;
};

}  // namespace PM::Test
