// The one escaping of text from files: what could drive a terminal (C0, DEL, C1 in UTF-8 and as raw
// bytes, the bidirectional controls) comes out as escapes; every other character, valid UTF-8 or not,
// comes out as it went in; escaping twice changes nothing more.
#include <gtest/gtest.h>

#include <string>

#include "platform/InertText.h"
#include "platform/Utf8.h"

namespace PM::Test {
namespace {

TEST(InertText, ControlsOfEveryKindBecomeEscapes) {
  EXPECT_EQ(InertText(""), "");
  EXPECT_EQ(InertText("plain name.png"), "plain name.png");
  EXPECT_EQ(InertText("\x1b]0;title\x07\x1b[2J"), "\\x1b]0;title\\x07\\x1b[2J");
  EXPECT_EQ(InertText("a\nError: forged\r\tb\x7f"), "a\\nError: forged\\r\\tb\\x7f");
  EXPECT_EQ(InertText(std::string("nul\0end", 7)), "nul\\x00end");
  // C1 in UTF-8 (U+0080, U+009B, U+009F) and as lone bytes, a one-byte CSI on some terminals.
  EXPECT_EQ(InertText("\xc2\x80|\xc2\x9b"
                      "2J|\xc2\x9f"),
            "\\u0080|\\u009b2J|\\u009f");
  EXPECT_EQ(InertText("\x9b"
                      "2J \x80\x9f"),
            "\\x9b2J \\x80\\x9f");
  // Bidirectional controls: the embeddings and overrides U+202A to U+202E, the isolates U+2066 to U+2069.
  EXPECT_EQ(InertText("evil\xe2\x80\xaegpj.exe"), "evil\\u202egpj.exe");
  EXPECT_EQ(InertText("\xe2\x80\xaa\xe2\x80\xad\xe2\x81\xa6\xe2\x81\xa9"), "\\u202a\\u202d\\u2066\\u2069");
}

TEST(InertText, OtherCharactersPassAsTheyAre) {
  // Letters, a no-break space, the marks beside the controls (U+2029, U+202F, U+2065, U+206A), a
  // character past the basic plane.
  const std::string text =
      "caf\xc3\xa9 \xc2\xa0\xc2\xb0 \xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa \xf0\x9f\x98\x80 \xe6\x97\xa5";
  EXPECT_EQ(InertText(text), text);
  // Bytes of no valid sequence above 0x9F pass (a Latin-1 name), as does a cut or overlong sequence's
  // lead; only its continuation bytes 0x80 to 0x9F are escaped.
  EXPECT_EQ(InertText("\xe9t\xe9 \xff"), "\xe9t\xe9 \xff");
  EXPECT_EQ(InertText("\xe2\x80"), "\xe2\\x80");
  EXPECT_EQ(InertText("\xc0\x9b \xed\xa0\x80"), "\xc0\\x9b \xed\xa0\\x80");
  const std::string hostile = "\x1b]0;x\x07\xe2\x80\xae\x9b\xc2\x85 \xc3\xbc";
  EXPECT_EQ(InertText(InertText(hostile)), InertText(hostile));
}

TEST(InertText, Utf8SequencesAreReadWhole) {
  EXPECT_EQ(DecodeUtf8("A", 0).code, 0x41u);
  EXPECT_EQ(DecodeUtf8("\xc3\xbc", 0).code, 0xfcu);
  EXPECT_EQ(DecodeUtf8("\xc3\xbc", 0).length, 2u);
  EXPECT_EQ(DecodeUtf8("x\xe2\x80\xae", 1).code, 0x202eu);
  EXPECT_EQ(DecodeUtf8("\xf4\x8f\xbf\xbf", 0).code, 0x10ffffu);
  EXPECT_EQ(DecodeUtf8("\xf4\x8f\xbf\xbf", 0).length, 4u);
  // Not sequences: a lone continuation, overlong forms, a surrogate, past U+10FFFF, cut at the end.
  for (const char* bad : {"\x80", "\xc1\xbf", "\xe0\x80\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x80"})
    EXPECT_EQ(DecodeUtf8(bad, 0).length, 0u) << bad;
}

}  // namespace
}  // namespace PM::Test
