// The integrity trailer: every damaged byte is caught on open, a damaged trailer is told apart from
// a missing one, and an archive without a trailer opens only when the caller asks.
#include "storage/ZipArchive.h"

#include "ZipArchiveTestSupport.h"

namespace PM::Test {
namespace {

class ZipArchiveIntegrityTest : public BlockCheckedTest {};

std::string SmallZip() {
  return BuildZip({{"dir/", "", 0}, {"a.txt", "some text that deflates, deflates, deflates"}, {"b", "stored", 0}});
}

ResultCode OpenBytes(const std::string& bytes, bool acceptMissing = false) {
  ZipArchive a;
  ZipOpenOptions o;
  o.acceptMissingTrailer = acceptMissing;
  ResultCode code = a.Open(MemoryOf(bytes), o);
  EXPECT_EQ(a.IsOpen(), code == SOK);
  return code;
}

TEST_F(ZipArchiveIntegrityTest, EveryFlippedByteIsRefused) {
  std::string zip = SmallZip();
  ASSERT_EQ(OpenBytes(zip), SOK);
  LogCapture log;
  for (size_t i = 0; i < zip.size(); ++i) {
    for (uint8_t mask : {0x01, 0x80}) {
      std::string bad = zip;
      bad[i] = char(bad[i] ^ mask);
      ResultCode code = OpenBytes(bad, true);  // even a caller who accepts untrailed archives
      if (i < zip.size() - kZipTrailerSize)
        EXPECT_EQ(code, EZipChecksum) << "byte " << i;
      else
        EXPECT_TRUE(code == EZipChecksum || code == EZipBadTrailer) << "byte " << i << " code " << std::hex << code;
    }
  }
  EXPECT_NE(
      log.Text().find("EZipChecksum: (stream): the archive's bytes do not match the crc32 of its integrity trailer."),
      std::string::npos);
}

TEST_F(ZipArchiveIntegrityTest, DamagedTrailerIsToldApartFromMissing) {
  std::string zip = SmallZip();
  size_t t = zip.size() - kZipTrailerSize;
  LogCapture log;
  std::string tag = zip, crcTag = zip, hex = zip, cut = zip;
  tag[t + 9] = 'Q';      // "PELMORAZIQ"
  crcTag[t + 11] = 'X';  // "XMC"
  hex[t + 15] = 'g';     // not a hexadecimal digit
  EXPECT_EQ(OpenBytes(tag, true), EZipBadTrailer);
  EXPECT_EQ(OpenBytes(crcTag, true), EZipBadTrailer);
  EXPECT_EQ(OpenBytes(hex, true), EZipBadTrailer);
  // Bytes after the trailer: the trailer is no longer at the end but still there.
  EXPECT_EQ(OpenBytes(zip + "junk", true), EZipBadTrailer);
  EXPECT_NE(log.Text().find("EZipBadTrailer"), std::string::npos);

  std::string untrailed = BuildZip({{"a", "x"}}, false);
  EXPECT_EQ(OpenBytes(untrailed), EZipNoTrailer);
  EXPECT_EQ(OpenBytes(untrailed, true), SOK);
  std::string commented = BuildZip({{"a", "x"}}, false, "an ordinary comment");
  EXPECT_EQ(OpenBytes(commented), EZipNoTrailer);
  EXPECT_EQ(OpenBytes(commented, true), SOK);
}

// The seed was made by Python's zipfile with the trailer computed by hand from docs/formats.md.
TEST_F(ZipArchiveIntegrityTest, TrailerWrittenByAnotherToolIsAccepted) {
  std::string seed = ReadFile(PM_SOURCE_DIR "/fuzz/corpus/zip_reader/trailed");
  ASSERT_GT(seed.size(), 100u);
  EXPECT_EQ(seed.substr(seed.size() - 23), "PELMORAZIP PMC 135BFEA5");
  ZipArchive a;
  ASSERT_EQ(a.Open(MemoryOf(seed)), SOK);
  EXPECT_TRUE(a.HasTrailer());
  EXPECT_EQ(ReadMember(a, "a.txt"), "hello hello hello hello");
}

}  // namespace
}  // namespace PM::Test
