// Runs the sample host pm-run in a temporary folder and collects its exit and its output.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/TestEnv.h"

namespace PM::Test {

struct HostRun {
  int status;  // the exit status; -1 when a signal ended the program
  std::string out;
};

// Runs a shell command; its exit status and standard output.
inline HostRun RunCommand(const std::string& cmd) {
  HostRun r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// Runs pm-run with the arguments (a shell fragment) in the folder; standard error goes to stderr.txt there.
// `env` holds further VAR=value assignments for the run (they win over the log folder set here).
inline HostRun PmRun(const TempDir& dir, const std::string& args, const std::string& env = "") {
  std::string cmd = "cd '" + dir.Path() + "' && PM_LOG_DIR='" + dir.Path() + "' " + env +
                    " '" PM_BINARY_DIR "/host/pm-run' " + args + " 2>'" + dir.Path() + "/stderr.txt'";
  return RunCommand(cmd);
}

// How often `part` stands in `text`.
inline int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A scene in the folder that plays Sounds/beep.wav once ("play.bs", with `more` after it).
inline void WriteSoundScene(const TempDir& dir, const std::string& more = "") {
  mkdir((dir.Path() + "/Sounds").c_str(), 0755);
  WriteFile(dir.Path() + "/Sounds/beep.wav", ReadFile(PM_SOURCE_DIR "/fuzz/corpus/wav_file/mono16.wav"));
  WriteFile(dir.Path() + "/play.bs",
            "FileObject:f . { .FileName 'beep.wav'; };\n"
            "SSoundEmitter:s . { .FileObject FileObject:f; };\n"
            "TSoundEmitter:e . { .SNode SSoundEmitter:s; };\n"
            "TSoundEmitter:e.PlayCount 1;\n" +
                more);
}

}  // namespace PM::Test
