// MD5 against the RFC 1321 test suite and across update boundaries.
#include "core/MD5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace PM {
namespace {

String Hex(const std::string& text) { return MD5::ToHex(MD5::Of(text.data(), text.size())); }

TEST(MD5Test, RfcTestSuite) {
  EXPECT_EQ(Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"), "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(MD5Test, PiecewiseUpdatesMatchOneUpdate) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  const char* expected = "de809ff794e91b68f9e91a2b7030bcb0";
  EXPECT_EQ(MD5::ToHex(MD5::Of(data.data(), data.size())), expected);
  // Pieces that straddle the 64-byte blocks and the 56-byte padding edge.
  for (size_t piece : {1u, 55u, 56u, 63u, 64u, 65u, 333u}) {
    MD5 md5;
    for (size_t at = 0; at < data.size(); at += piece) md5.Update(data.data() + at, std::min(piece, data.size() - at));
    md5.Update(nullptr, 0);
    EXPECT_EQ(MD5::ToHex(md5.Final()), expected) << piece;
    // Final starts the hash over.
    EXPECT_EQ(MD5::ToHex(md5.Final()), "d41d8cd98f00b204e9800998ecf8427e");
  }
}

}  // namespace
}  // namespace PM
