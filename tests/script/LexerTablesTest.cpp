// The token tables: precedence, operator texts, character classes and kind names.
#include "script/lang/TokenKinds.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

TEST(LexerTablesTest, PrecedenceOrdersTheOperators) {
  InitLexerTables();
  EXPECT_EQ(TokenPrecedence(19), 255);
  EXPECT_EQ(TokenPrecedence(82), 255);
  EXPECT_EQ(TokenPrecedence(52), 4);
  EXPECT_EQ(TokenPrecedence(62), 14);
  EXPECT_LT(TokenPrecedence(61), TokenPrecedence(63));  // && binds tighter than ^^
  EXPECT_LT(TokenPrecedence(63), TokenPrecedence(62));  // ^^ tighter than ||
  EXPECT_EQ(TokenPrecedence(-1), 255);
  EXPECT_EQ(TokenPrecedence(255), 255);
  EXPECT_EQ(TokenPrecedence(1000), 255);
  const int ops[][2] = {{49, 5}, {50, 5}, {51, 4}, {53, 4}, {54, 6}, {55, 6}, {57, 9},   {58, 11}, {59, 10},
                        {64, 7}, {65, 7}, {66, 7}, {67, 7}, {68, 8}, {69, 8}, {56, 255}, {60, 255}};
  for (auto& o : ops) EXPECT_EQ(TokenPrecedence(o[0]), o[1]) << o[0];
}

TEST(LexerTablesTest, TokenTexts) {
  InitLexerTables();
  EXPECT_STREQ(TokenText(86), "[");
  EXPECT_STREQ(TokenText(87), "(");
  EXPECT_STREQ(TokenText(88), "{");
  EXPECT_STREQ(TokenText(0), "???");
  EXPECT_STREQ(TokenText(255), "???");
  EXPECT_STREQ(TokenText(63), "^^");
  EXPECT_STREQ(TokenText(54), "<<");
  EXPECT_STREQ(TokenText(19), "???");
}

TEST(LexerTablesTest, CharacterClasses) {
  InitLexerTables();
  EXPECT_EQ(CharClassOf('_'), CharClassOf('a'));
  EXPECT_EQ(CharClassOf('Z'), 0x20u);
  EXPECT_EQ(CharClassOf('-'), 0u);
  EXPECT_EQ(CharClassOf('+'), 0u);
  EXPECT_EQ(CharClassOf(-1), 2u);
  EXPECT_EQ(CharClassOf('\r'), 4u);
  EXPECT_EQ(CharClassOf('\t'), 8u);
  EXPECT_EQ(CharClassOf('7'), 16u);
  EXPECT_EQ(CharClassOf('"'), 64u);
  EXPECT_EQ(CharClassOf('.'), 128u);
  EXPECT_EQ(CharClassOf(':'), 0x100u);
  EXPECT_EQ(CharClassOf('$'), 0x200u);
  EXPECT_EQ(CharClassOf('#'), 0x400u);
  EXPECT_EQ(CharClassOf('\''), 0x800u);
  EXPECT_EQ(CharClassOf(200), 0u);
}

TEST(LexerTablesTest, KindNamesAreUpperHexWithoutZeros) {
  EXPECT_STREQ(TokenKindName(19).CStr(), "LT_0x13");
  EXPECT_STREQ(TokenKindName(84).CStr(), "LT_0x54");
  EXPECT_STREQ(TokenKindName(255).CStr(), "LT_0xFF");
  EXPECT_STREQ(TokenKindName(0).CStr(), "LT_0x0");
}

}  // namespace
}  // namespace PM
