// A file name that would drive a terminal (an OSC title, a screen clear, a right-to-left override, a raw
// C1 CSI byte) in storage's own messages: the file stream's open error and the not-found warning carry it
// escaped.
#include <string>

#include "storage/Storage.h"
#include "storage/StorageTestUtil.h"
#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using PM::Test::LogCapture;

class FileNameTextTest : public PM::Test::BlockCheckedTest {
 protected:
  void TearDown() override {
    Storage::ReleaseThreadState();
    BlockCheckedTest::TearDown();
  }
  PM::Test::TempDir dir;
};

TEST_F(FileNameTextTest, StoragesMessagesCarryAFilesNameEscaped) {
  const std::string raw = dir.File("\x1b]0;x\x07\x1b[2J\xe2\x80\xae\x9b/a.txt");
  const std::string inert = dir.File("\\x1b]0;x\\x07\\x1b[2J\\u202e\\x9b/a.txt");
  LogCapture log;
  StreamPipeRef written(OpenFileStream(raw.c_str(), kModeWriteNew));
  EXPECT_TRUE(written.IsNull());
  String found;
  StreamPipeRef read(Storage::OpenStream(String(raw.c_str()), Storage::kRead, found));
  EXPECT_TRUE(read.IsNull());
  const std::string& text = log.Text();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    EXPECT_TRUE((c >= 0x20 && c != 0x7f && c != 0x9b) || c == '\n') << "byte " << int(c) << " at " << i << ":\n"
                                                                    << text;
  }
  EXPECT_NE(text.find("FileStream: cannot open \"" + inert + "\": "), std::string::npos) << text;
  EXPECT_NE(text.find("Warn  Storage: FileNotFound: " + inert + "\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace PM
