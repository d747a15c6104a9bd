// Zip archives written by the engine and read by Debian's unzip, and the other way round.
#include "storage/ZipArchive.h"

#include "ZipArchiveTestSupport.h"
#include "storage/ZipWriter.h"

namespace PM::Test {
namespace {

class ZipArchiveTest : public BlockCheckedTest {
 protected:
  TempDir dir;
};

std::string Pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 31 + seed) % 251 ^ (i >> 7));
  return s;
}

TEST_F(ZipArchiveTest, EngineZipPassesUnzipAndExtractsIdentical) {
  std::string text = "hello, zip\n", big = Pattern(300000, 7), empty;
  {
    ZipWriter w;
    ASSERT_EQ(w.CreateFile(dir.File("out.zip").c_str()), SOK);
    EXPECT_EQ(w.AddMember("a.txt", text.data(), text.size(), 0), SOK);
    EXPECT_EQ(w.AddDirectory("sub"), SOK);
    EXPECT_EQ(w.AddMember("sub/big.bin", big.data(), big.size(), 9), SOK);
    EXPECT_EQ(w.AddMember("sub/empty", empty.data(), 0), SOK);
    StreamPipeRef src(NewMemoryStream(text.data(), text.size()));
    EXPECT_EQ(w.AddMemberFrom("from-stream.txt", src), SOK);
    EXPECT_EQ(w.Close(), SOK);
  }
  std::string zip = dir.File("out.zip");
  ASSERT_EQ(Shell("unzip -t " + zip), 0);
  ASSERT_EQ(Shell("cd " + dir.Path() + " && mkdir x && cd x && unzip -q ../out.zip"), 0);
  EXPECT_EQ(ReadFile(dir.File("x/a.txt")), text);
  EXPECT_TRUE(ReadFile(dir.File("x/sub/big.bin")) == big);
  EXPECT_EQ(ReadFile(dir.File("x/sub/empty")), "");
  EXPECT_EQ(ReadFile(dir.File("x/from-stream.txt")), text);

  // The global comment is exactly the trailer, and its crc32 covers every byte in front of it.
  std::string bytes = ReadFile(zip);
  std::string trailer = bytes.substr(bytes.size() - kZipTrailerSize);
  char expected[kZipTrailerSize];
  FormatZipTrailer(Crc(bytes.substr(0, bytes.size() - kZipTrailerSize)), expected);
  EXPECT_EQ(trailer, std::string(expected, kZipTrailerSize));
  EXPECT_EQ(trailer.substr(0, 15), "PELMORAZIP PMC ");

  ZipArchive a;
  ASSERT_EQ(a.OpenFile(zip.c_str()), SOK);
  EXPECT_TRUE(a.HasTrailer());
  ASSERT_EQ(a.MemberCount(), 5);
  EXPECT_EQ(a.Member(0).method, 0);
  EXPECT_EQ(a.Member(2).method, 8);
  EXPECT_TRUE(a.Member(1).isDirectory);
  EXPECT_TRUE(ReadMember(a, "sub/big.bin") == big);
  EXPECT_EQ(ReadMember(a, "sub/empty"), "");
}

TEST_F(ZipArchiveTest, ReadsDebianZipWithStoredDeflatedAndDirectories) {
  std::string big = Pattern(200000, 3);
  std::filesystem::create_directories(dir.File("in/d/e"));
  WriteFile(dir.File("in/plain.txt"), "stored text");
  WriteFile(dir.File("in/d/e/big.bin"), big);
  ASSERT_EQ(Shell("cd " + dir.File("in") + " && zip -q -0 ../t.zip plain.txt && zip -q -9 -r ../t.zip d"), 0);
  ZipArchive a;
  LogCapture log;
  EXPECT_EQ(a.OpenFile(dir.File("t.zip").c_str()), EZipNoTrailer);
  EXPECT_NE(log.Text().find("EZipNoTrailer"), std::string::npos) << log.Text();
  EXPECT_FALSE(a.IsOpen());

  ZipOpenOptions untrailed;
  untrailed.acceptMissingTrailer = true;
  ASSERT_EQ(a.OpenFile(dir.File("t.zip").c_str(), untrailed), SOK);
  EXPECT_FALSE(a.HasTrailer());
  ASSERT_GE(a.FindMember("d/e/"), 0);
  EXPECT_TRUE(a.Member(a.FindMember("d/")).isDirectory);
  EXPECT_EQ(a.Member(a.FindMember("plain.txt")).method, 0);
  EXPECT_EQ(a.Member(a.FindMember("d/e/big.bin")).method, 8);
  EXPECT_EQ(ReadMember(a, "plain.txt"), "stored text");
  EXPECT_TRUE(ReadMember(a, "d/e/big.bin") == big);

  ASSERT_EQ(a.ExtractAll(dir.File("out").c_str()), SOK);
  EXPECT_TRUE(ReadFile(dir.File("out/d/e/big.bin")) == big);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("out/d/e")));
}

TEST_F(ZipArchiveTest, MemberStreamsReadTogetherSeekAndPeek) {
  std::string one = Pattern(150000, 1), two = Pattern(70000, 2);
  std::string zip = BuildZip({{"one", one}, {"two", two, 0}});
  ZipArchive a;
  ASSERT_EQ(a.Open(MemoryOf(zip)), SOK);
  StreamPipeRef s1(a.OpenMember("one")), s2(a.OpenMember("two"));
  EXPECT_EQ(s1->GetFileLength(), int64_t(one.size()));
  std::string got1(one.size(), '\0'), got2(two.size(), '\0');
  // Interleaved reads through the one shared source.
  EXPECT_EQ(s1->Read(got1.data(), 1000), 1000);
  EXPECT_EQ(s2->Read(got2.data(), int64_t(two.size())), int64_t(two.size()));
  EXPECT_EQ(s1->Read(got1.data() + 1000, int64_t(one.size())), int64_t(one.size()) - 1000);
  EXPECT_TRUE(got1 == one);
  EXPECT_TRUE(got2 == two);
  EXPECT_EQ(s1->Read(got1.data(), 10), 0);
  EXPECT_EQ(s1->Seek(5, kSeekStart), 5);
  EXPECT_EQ(s1->PeekByte(), uint8_t(one[5]));
  EXPECT_EQ(s1->PeekByteAt(3), uint8_t(one[8]));
  EXPECT_EQ(s1->ReadByte(), uint8_t(one[5]));
  EXPECT_EQ(s1->Seek(-1, kSeekEnd), int64_t(one.size()) - 1);
  EXPECT_EQ(s1->ReadByte(), uint8_t(one.back()));
  EXPECT_EQ(s1->ReadByte(), -1);
  EXPECT_EQ(s1->Seek(0, kSeekCurrent), int64_t(one.size()));
  EXPECT_EQ(s1->Seek(1, kSeekEnd), -1);

  ResultCode code = 0;
  LogCapture log;
  StreamPipeRef none(a.OpenMember("absent", &code));
  EXPECT_EQ(code, ENotFound);
  EXPECT_TRUE(none.IsNull());
}

TEST_F(ZipArchiveTest, WriterRefusesUnsafeNamesAndPinsCodeNames) {
  StreamPipeRef mem(NewMemoryStream());
  ZipWriter w;
  ASSERT_EQ(w.Create(mem), SOK);
  LogCapture log;
  EXPECT_EQ(w.AddMember("../x", "a", 1), EZipUnsafeName);
  EXPECT_EQ(w.AddMember("/etc/x", "a", 1), EZipUnsafeName);
  EXPECT_EQ(w.AddMember("ok", "a", 1, 12), EInvalidArgument);
  EXPECT_EQ(w.AddMember("ok", "a", 1), SOK);
  EXPECT_EQ(w.Close(), SOK);  // refused names leave the archive sound
  EXPECT_NE(log.Text().find("ZipWriter: EZipUnsafeName: (stream): unsafe member name \"../x\"."), std::string::npos)
      << log.Text();
  ZipArchive a;
  ASSERT_EQ(a.Open(mem), SOK);
  EXPECT_EQ(a.MemberCount(), 1);

  // A target that refuses bytes.
  std::string none;
  ZipWriter refused;
  ASSERT_EQ(refused.Create(StreamPipeRef(NewMemoryViewStream(none.data(), 0))), SOK);
  EXPECT_EQ(refused.AddMember("a", "abc", 3), EZipWrite);
  EXPECT_EQ(refused.Close(), EZipWrite);

  // The codes carry their names into reports; their values follow from the names.
  EXPECT_STREQ(ResultCodeName(EZipFormat), "EZipFormat");
  EXPECT_STREQ(ResultCodeName(EZipChecksum), "EZipChecksum");
  EXPECT_EQ(EZipFormat, 0xA8D1BE18u);
  EXPECT_EQ(EZipChecksum, 0xAE6811FCu);
  EXPECT_EQ(EZipBadTrailer, 0xAD0B0651u);
  EXPECT_EQ(EZipNoTrailer, 0xAACC9DDFu);
}

}  // namespace
}  // namespace PM::Test
