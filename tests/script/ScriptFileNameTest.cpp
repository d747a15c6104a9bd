// A script whose file name would drive a terminal (an OSC title, a screen clear, a right-to-left override,
// a raw C1 CSI byte): pm-run's own error for a script it cannot open and the parser's report of a script
// with an error name it escaped.
#include <gtest/gtest.h>

#include <string>

#include "PmRunSupport.h"

namespace PM::Test {
namespace {

const std::string kName = "\x1b]0;x\x07\x1b[2J\xe2\x80\xae\x9b.bs";
const std::string kInert = "\\x1b]0;x\\x07\\x1b[2J\\u202e\\x9b.bs";

void ExpectNoControls(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    EXPECT_TRUE((c >= 0x20 && c != 0x7f && c != 0x9b) || c == '\n') << "byte " << int(c) << " at " << i << ":\n"
                                                                    << text;
  }
  EXPECT_EQ(text.find("\xe2\x80\xae"), std::string::npos) << text;
}

TEST(ScriptFileName, PmRunAndTheParserNameAScriptEscaped) {
  TempDir dir;
  HostRun missing = PmRun(dir, "'" + kName + "'");
  const std::string missingErr = ReadFile(dir.File("stderr.txt"));
  EXPECT_NE(missing.status, 0);
  ExpectNoControls(missing.out + missingErr);
  EXPECT_NE(missingErr.find("pm-run: cannot open \"" + kInert + "\": "), std::string::npos) << missingErr;

  WriteFile(dir.File(kName), "STransform:a . { .Rotation (1, 2; };\n");
  HostRun broken = PmRun(dir, "'" + kName + "'");
  const std::string said = broken.out + ReadFile(dir.File("stderr.txt"));
  EXPECT_NE(broken.status, 0);
  ExpectNoControls(said);
  EXPECT_NE(said.find("File: " + kInert + "(1)"), std::string::npos) << said;
}

}  // namespace
}  // namespace PM::Test
