// The enciphering stream's known answers and round trips, and resource streams.
#include <string>

#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using CipherStreamTest = Test::BlockCheckedTest;
using ResourceStreamTest = Test::BlockCheckedTest;

std::string Hex(const std::string& s) {
  static const char d[] = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) h += {d[c >> 4], d[c & 15]};
  return h;
}

std::string Contents(StreamPipe* m) {
  size_t n;
  const uint8_t* p = MemoryStreamData(m, &n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

const char kLine[] = "Pelmora log line 1\n";

// The same vectors are written down with the cipher's description in docs/formats.md.
TEST_F(CipherStreamTest, MatchesTheKnownAnswers) {
  struct Vector {
    uint32_t key;
    int64_t position;
    const char* cipher;
  } vectors[] = {
      {0x12345678, 0, "FC126124E7BD65A31E1569030BEDF5C5AE96E6"},
      {0x12345678, 5, "9F61EF1F157C4247E8F4C7AECB85B078430021"},
      {0, 0, "AE8F76502EAA37C70FD894F09BCD3ECBAB1ED5"},
  };
  for (const Vector& v : vectors) {
    StreamPipeRef target(NewMemoryStream());
    target->Seek(v.position, kSeekStart);
    StreamPipeRef c(NewCipherStream(target, v.key));
    c.WriteText(kLine);
    EXPECT_EQ(Hex(Contents(target.Get()).substr(size_t(v.position))), v.cipher) << v.key << " at " << v.position;
  }
}

TEST_F(CipherStreamTest, DeciphersWhatItEnciphers) {
  PM::Test::TempDir dir;
  std::string path = dir.File("log.bin"), plain;
  for (int i = 0; i < 3000; ++i) plain += "message " + std::to_string(i) + "\n";
  {
    // Written in uneven pieces, partly on a reopened file in append mode.
    StreamPipeRef c(NewCipherStream(StreamPipeRef(OpenFileStream(path.c_str(), kModeWriteNew)), 77));
    c->Write(plain.data(), 12345);
  }
  {
    StreamPipeRef c(NewCipherStream(StreamPipeRef(OpenFileStream(path.c_str(), kModeWrite | kModeAppend)), 77));
    for (size_t at = 12345; at < plain.size(); at += 7)
      c->Write(plain.data() + at, int64_t(std::min<size_t>(7, plain.size() - at)));
  }
  std::string raw = PM::Test::ReadFile(path);
  ASSERT_EQ(raw.size(), plain.size());
  EXPECT_EQ(raw.find("message"), std::string::npos) << "the text is hidden";

  StreamPipeRef c(NewCipherStream(StreamPipeRef(OpenFileStream(path.c_str(), kModeRead)), 77));
  std::string back(plain.size(), '\0');
  EXPECT_EQ(c->Read(back.data(), 5), 5);
  EXPECT_EQ(c->PeekByteAt(3), (unsigned char)plain[8]);
  EXPECT_EQ(c->ReadByte(), (unsigned char)plain[5]);
  EXPECT_EQ(c->Read(back.data() + 6, int64_t(plain.size())), int64_t(plain.size()) - 6);
  back[5] = plain[5];
  EXPECT_EQ(back, plain);
  EXPECT_EQ(c->Seek(1000, kSeekStart), 1000);
  EXPECT_EQ(c->PeekByte(), (unsigned char)plain[1000]);
  EXPECT_EQ(c->GetFileLength(), int64_t(plain.size()));

  StreamPipeRef wrong(NewCipherStream(StreamPipeRef(OpenFileStream(path.c_str(), kModeRead)), 78));
  std::string other(plain.size(), '\0');
  wrong->Read(other.data(), int64_t(other.size()));
  EXPECT_NE(other, plain);
}

TEST_F(ResourceStreamTest, NamedBlobsReadBackWithoutCopy) {
  static const char blob[] = "resource bytes";
  RegisterResource("Shaders/Basic.TXT", blob, sizeof blob - 1);
  StreamPipeRef r(OpenResourceStream("shaders/basic.txt"));
  ASSERT_FALSE(r.IsNull());
  char buf[32] = {};
  EXPECT_EQ(r->Read(buf, 32), 14);
  EXPECT_EQ(std::string(buf), blob);
  EXPECT_LT(r->Write("x", 1), 0) << "resources are read-only";
  size_t n;
  EXPECT_EQ(MemoryStreamData(r.Get(), &n), reinterpret_cast<const uint8_t*>(blob));
  testing::internal::CaptureStderr();
  StreamPipeRef missing(OpenResourceStream("nothing"));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ResourceStream: no resource named \"nothing\"."),
            std::string::npos);
  EXPECT_TRUE(missing.IsNull());
}

}  // namespace
}  // namespace PM
