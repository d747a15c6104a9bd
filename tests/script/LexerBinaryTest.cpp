// The compiled-script lexer against the compiler: pinned bytes, a corpus that must lex identically in
// both forms, the literal kinds only compiled scripts carry, and corrupt input.
#include <cstring>
#include <set>

#include "CompiledScriptWriter.h"
#include "LexerTestSupport.h"
#include "ScriptCompiler.h"
#include "core/Matrix4f.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using namespace Test;
using LexerBinaryTest = BlockCheckedTest;

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%s%02X", out.empty() ? "" : " ", c);
    out += b;
  }
  return out;
}

std::string Compile(const std::string& text, uint32_t mode = Lexer::kParserMode) {
  CompileResult r = CompileScript(text.data(), text.size(), mode);
  EXPECT_TRUE(r.ok) << r.error;
  return r.bytes;
}

// Computed from the state formulas and the constants in docs/formats.md by a separate implementation.
TEST_F(LexerBinaryTest, KnownAnswerVectors) {
  EXPECT_EQ(Hex(Compile("a = 1;")), "42 53 42 05 F3 01 80 C9 AC 01 00 00 00 F0 AE");
  EXPECT_EQ(Hex(Compile("print(\"hi\");")), "42 53 42 05 FA 05 63 6C 66 ED 34 FB A9 02 00 00 00 92 FE 30 C2 C3");
  EXPECT_EQ(Hex(Compile("x -1")), "42 53 42 05 F3 01 97 95 FF FF FF FF BF");
  const char pinned[] = "\xF3\x01\x80\xC9\xAC\x01\x00\x00\x00\xF0\xAE";
  EXPECT_EQ(LexCompiled(std::string(pinned, sizeof pinned - 1)),
            (std::vector<Tok>{Name("a"), Kind(32), I32(1), Kind(19), End()}));
}

const char* const kCorpus[] = {
    "a = 1;",
    "var x = -5; var y = x + 3 * (2 - 1);",
    "if (a == b && c != d || !e ^^ f) { print(\"yes\"); } else { p(1); }",
    "x += 1; y -= 2; z = a % b / c;",
    "m = a << 2 >> 1 & 7 | 8 ^ ~9;",
    "c = a <= b; d = a >= b; e = a < b; f = a > b;",
    "obj.Member = 1.5; obj.Call(2); obj.List[3] = 4;",
    ":Namespace:Object.Value = 7;",
    "::Root.x = 1; :a:b:c;",
    "v = $FF00FF; w = $0;",
    "h = @ { \"k\" : 1 , \"j\" : 2 };",
    "s = 'single' + \"double\";",
    "s = \"esc \\\" \\\\ \\n \\t \\x41\";",
    "s = 'joined'\\\n    ' over lines';",
    "r = #bs raw text with \"quotes\" and # signs##;",
    "u = 4294967295; i = 2147483647; l = 4294967296; ul = 18446744073709551615;",
    "n = -2147483648; q = -9223372036854775808;",
    "f = 1.5; g = 2.5F; h = 3f; k = 1e10; j = 2.5e-3F;",
    "h1 = 0x7FFFFFFF; h2 = 0xFFFFFFFFu; h3 = 0x1I; h4 = 0xFFFFFFFFFFFFFFFFU; h5 = 7x1F;",
    "d1 = 5i; d2 = 5u; d3 = 5I; d4 = 5U; d5 = 5b;",
    "cond ? a : b;",
    "a = b[1][2];",
    "class Foo { var x = 1; var y = \"s\"; };",
    "enum Color { Red = 1, Green = 2 };",
    "include \"other.txt\";",
    "del x; del y;",
    "// only a comment\n/* block */ x;",
    "pl(True, False);",
    "f(g(h(1)));",
    "a.b.c.d = e.f;",
    "x = - 1; y = -1; z = a -1;",
    "",
    ";;;",
    "name_with_underscores_1 = _leading;",
    "x = a . b;",
};

TEST_F(LexerBinaryTest, CorpusLexesIdenticallyCompiled) {
  std::set<int> kinds;
  for (const char* script : kCorpus) {
    std::vector<Tok> text = LexText(script);
    for (const Tok& t : text) kinds.insert(t.kind);
    std::string compiled = Compile(script);
    ASSERT_EQ(compiled.substr(0, 4), "BSB\x05");
    EXPECT_EQ(LexCompiled(compiled.substr(4)), text) << script;
    // The same through a stream in odd pieces.
    StreamPipeRef stream(NewCounted<PieceStream>(compiled.substr(4), 3));
    BinaryLexer l(stream.Get(), Lexer::kParserMode);
    EXPECT_EQ(LexAll(l), text) << script;
  }
  // Blanks and line ends as tokens when the mode keeps them.
  std::string spaced = "a \t b\r\nc\n";
  EXPECT_EQ(LexCompiled(Compile(spaced, 0x12).substr(4), 0x12), LexText(spaced, 0x12));
  for (int k : {16, 17, 18, 19, 20, 32,  33,  34,  49,  50,  51,  52,  53,  54,  55,  56,  57,
                58, 59, 60, 61, 62, 63,  64,  65,  66,  67,  68,  69,  80,  81,  82,  83,  84,
                85, 96, 97, 98, 99, 100, 101, 102, 103, 107, 233, 234, 235, 236, 237, 238, 239})
    EXPECT_TRUE(kinds.count(k)) << "corpus lacks kind " << k;
  EXPECT_GE(sizeof kCorpus / sizeof *kCorpus, 30u);
}

TEST_F(LexerBinaryTest, CompilerRefusesWhatHasNoCompiledForm) {
  for (const char* bad : {"a :( b", "a ` b", "\"open", "#x"})
    EXPECT_FALSE(CompileScript(bad, std::strlen(bad)).ok) << bad;
  std::string longName(256, 'n');
  CompileResult r = CompileScript(longName.data(), longName.size());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("255"), std::string::npos);
  EXPECT_TRUE(CompileScript(longName.data(), 255).ok);
  std::string longRaw = "#bs " + std::string(8192, 'r') + "##";
  EXPECT_FALSE(CompileScript(longRaw.data(), longRaw.size()).ok);
}

TEST_F(LexerBinaryTest, LiteralKindsOfCompiledScripts) {
  CompiledScriptWriter w(false);
  w.Token(32);
  w.Token(104);
  w.Raw("\x43\x10", 2);
  w.Token(32);
  w.Token(105);
  w.Raw("\x01\x02\x03\x04", 4);
  w.Token(32);
  w.MemberId(106, 0x05FFF0A7);
  w.Bool(true);
  float v[16];
  for (int i = 0; i < 16; ++i) v[i] = float(i) + 0.5f;
  w.Floats(208, v, 2);
  w.Floats(210, v, 3);
  w.Floats(212, v, 4);
  w.Floats(194, v, 4);
  w.Floats(214, v, 16);
  int32_t ints[3] = {1, -2, 3};
  w.Array(204, ints, 3, 4);
  w.Array(200, "\x00\x05", 2, 1);
  w.Array(182, v, 1, 64);
  w.StringArray({"one", "", "three"});
  w.StringArray({});
  w.Name(96, "after");
  w.I32(-7);
  w.Token(255);
  std::string bytes = w.Bytes();
  BinaryLexer l(bytes.data(), bytes.size(), Lexer::kParserMode | 1);
  l.Lex();
  Recorder r(&l);
  SetParseValueCB([](Lexer& lx, ValueVisitor& v) {
    uint32_t id = lx.Value().u32;
    lx.Lex();
    return v.FoundMemberID(id);
  });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l.ParseValue(r), 0u);
  SetParseValueCB(nullptr);
  EXPECT_EQ(r.seen, "MemberID:" + std::to_string(0xFFFFF043u) + " MemberID:" + std::to_string(0x02FFF403u) +
                        " MemberID:" + std::to_string(0x05FFF0A7u) + " ");
  r.seen.clear();
  EXPECT_EQ(l.Kind(), 232);
  // The rest, token by token.
  std::vector<int> kinds;
  while (l.Kind() != 255 && l.Kind() != 0) {
    kinds.push_back(l.Kind());
    if (l.Kind() == 200) {
      const bool* b = static_cast<const bool*>(l.Elements());
      EXPECT_EQ(HeaderOf(b)->count, 2);
      EXPECT_FALSE(b[0]);
      EXPECT_TRUE(b[1]);
    }
    if (l.Kind() == 204) {
      const int32_t* e = static_cast<const int32_t*>(l.Elements());
      ASSERT_EQ(HeaderOf(e)->count, 3);
      EXPECT_EQ(e[1], -2);
    }
    if (l.Kind() == 201 && l.Strings().Count() == 3) {
      EXPECT_STREQ(l.Strings()[2].CStr(), "three");
    }
    if (l.Kind() == 214) {
      EXPECT_EQ(l.Value().f[15], 15.5f);
    }
    if (l.Kind() == 96) {
      EXPECT_STREQ(l.Text(), "after");
    }
    if (l.Kind() == 236) {
      EXPECT_EQ(l.Value().i32, -7);
    }
    l.Lex();
  }
  EXPECT_EQ(kinds, (std::vector<int>{232, 208, 210, 212, 194, 214, 204, 200, 182, 201, 201, 96, 236}));
  EXPECT_EQ(l.GetLine(), 0);
  EXPECT_EQ(l.GetColumn(), 0);
}

TEST_F(LexerBinaryTest, ParseValueOfCompiledLiterals) {
  CompiledScriptWriter w(false);
  float v[4] = {1, 2, 3, 4};
  w.Token(18);
  w.Bool(false);
  w.Token(18);
  w.Floats(210, v, 3);
  w.Token(18);
  w.Floats(194, v, 4);
  w.Token(18);
  w.StringArray({"a", "b"});
  w.Token(18);
  w.Array(202, v, 4, 4);
  w.Token(255);
  std::string bytes = w.Bytes();
  BinaryLexer l(bytes.data(), bytes.size(), Lexer::kParserMode);
  l.Lex();
  Recorder r(&l);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(l.ParseValue(r), 0u);
  EXPECT_EQ(r.seen, "Bool:false Vector3f:3.000000 Spheref:4.000000 Array:FFFFF009x2 Array:FFFFF00Ex4 ");
  EXPECT_EQ(l.Kind(), 255);
}

TEST_F(LexerBinaryTest, CorruptInput) {
  auto lexOne = [](const CompiledScriptWriter& w) { return LexCompiled(w.Bytes()); };
  for (int code : {0, 21, 48, 86, 89, 254, 251}) {
    CompiledScriptWriter w(false);
    w.Token(code);
    EXPECT_EQ(lexOne(w)[0], Err(3)) << code;
  }
  // A token and the bytes after it that no input can hold: array counts far beyond the input (no large
  // allocation), a string array's bad element length, a string of 8192 bytes or more.
  const std::pair<int, std::string> tooLong[] = {
      {182, std::string("\xFF\xFF\xFF\x7F"
                        "abcdefgh",
                        12)},
      {207, "\xFF\xFF\xFF\xFF"},
      {201, std::string("\xFF\xFF\xFF\xFF\x02\x00\x00\x00xy\xFF\xFF\xFF\x0F", 14)},
      {233, std::string("\x00\x20\x00\x00", 4)}};
  for (const auto& [code, raw] : tooLong) {
    CompiledScriptWriter w(false);
    w.Token(code);
    w.Raw(raw.data(), raw.size());
    EXPECT_EQ(lexOne(w)[0], Err(2)) << code;
  }
  {  // payload ends early
    CompiledScriptWriter w(false);
    uint32_t four[4] = {1, 2, 3, 4};
    w.Array(206, four, 4, 4);
    std::string cut = w.Bytes().substr(0, w.Bytes().size() - 1);
    EXPECT_EQ(LexCompiled(cut)[0], Err(2));
  }
  {  // other payloads cut short leave what was read; then the end
    CompiledScriptWriter w(false);
    w.Token(236);
    w.Raw("\x05\x00", 2);
    EXPECT_EQ(lexOne(w), (std::vector<Tok>{I32(5), End()}));
  }
  EXPECT_EQ(LexCompiled(""), (std::vector<Tok>{End()}));
}

}  // namespace
}  // namespace PM
