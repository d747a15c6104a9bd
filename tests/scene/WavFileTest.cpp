// The WAV reader: the PCM forms it takes and the malformed files it refuses.
#include "sound/WavFile.h"

#include <gtest/gtest.h>

#include "SoundTestSupport.h"

namespace PM::Test {
namespace {

bool Parse(const std::string& bytes, WavData& out) {
  std::string why;
  bool ok = WavFile::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, why);
  EXPECT_EQ(ok, why.empty()) << why;
  return ok;
}

TEST(WavFileTest, ReadsThePcmForms) {
  std::string four("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  // A chunk before the format, with an odd length and its pad byte.
  std::string withList = WavImage(8000, 8, 1, four);
  withList.insert(12, std::string("LIST\x03\x00\x00\x00xyz\x00", 12));
  struct Case {
    std::string bytes;
    uint32_t rate;
    uint16_t bits, channels;
    size_t samples;
  } cases[] = {
      {WavImage(8000, 8, 1, four), 8000, 8, 1, 8},
      {WavImage(44100, 16, 2, four), 44100, 16, 2, 8},
      {WavImage(48000, 16, 2, four, 0xFFFE), 48000, 16, 2, 8},
      {WavImage(22050, 16, 1, four.substr(0, 7)), 22050, 16, 1, 6},  // a partial frame is dropped
      {withList, 8000, 8, 1, 8},
  };
  for (const Case& c : cases) {
    WavData w;
    ASSERT_TRUE(Parse(c.bytes, w));
    EXPECT_EQ(w.sampleRate, c.rate);
    EXPECT_EQ(w.bitsPerSample, c.bits);
    EXPECT_EQ(w.channels, c.channels);
    EXPECT_EQ(w.samples.size(), c.samples);
    EXPECT_EQ(std::string(w.samples.begin(), w.samples.end()), four.substr(0, c.samples));
  }
  // A writer that never came back to the data length: what is there is taken.
  std::string open = WavImage(8000, 8, 1, four);
  open.replace(open.size() - 12, 4, "\xFF\xFF\xFF\xFF");
  WavData w;
  ASSERT_TRUE(Parse(open, w));
  EXPECT_EQ(w.samples.size(), 8u);
}

TEST(WavFileTest, RefusesWhatItCannotPlay) {
  std::string good = WavImage(8000, 16, 1, std::string(8, '\x10'));
  std::string dataFirst = good;
  dataFirst.replace(12, 4, "data");
  std::string cutFormat = good.substr(0, 30);
  const std::string cases[] = {
      "",
      std::string("RIFF\x04\x00\x00\x00WAVE", 12),
      good.substr(0, 11),
      "RIFX" + good.substr(4),
      WavImage(8000, 16, 1, "", 3),                                     // float samples
      WavImage(8000, 24, 1, std::string(6, 'a')),                       // 24 bits
      WavImage(8000, 8, 3, std::string(6, 'a')),                        // three channels
      WavImage(0, 8, 1, std::string(6, 'a')),                           // no rate
      WavImage(8000, 16, 2, "", 0xFFFE).replace(44, 2, "\x03\x00", 2),  // extensible, not PCM
      dataFirst,
      cutFormat,
      good.substr(0, 36),  // no data chunk
  };
  for (const std::string& c : cases) {
    WavData w;
    EXPECT_FALSE(Parse(c, w)) << testing::PrintToString(c);
    EXPECT_TRUE(w.samples.empty());
  }
}

}  // namespace
}  // namespace PM::Test
