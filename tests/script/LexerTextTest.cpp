// The text lexer: token forms, number typing, strings and raw blocks, modes, positions, stream pieces,
// the parser helpers and value delivery.
#include <cmath>
#include <cstring>
#include <tuple>

#include "LexerTestSupport.h"
#include "core/Log.h"
#include "script/lang/ErrorReport.h"
#include "script/lang/Parser.h"
#include "script/lang/ValueParser.h"
#include "script/lang/ValueVisitor.h"
#include "storage/Streams.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using namespace Test;
using LexerTextTest = BlockCheckedTest;

Tok First(const std::string& s, uint32_t mode = Lexer::kParserMode) { return LexText(s, mode)[0]; }

TEST_F(LexerTextTest, SignFollowsOnlyTokensThatAllowIt) {
  EXPECT_EQ(LexText("a -1"), (std::vector<Tok>{Name("a"), I32(-1), End()}));
  EXPECT_EQ(LexText("a-1"), (std::vector<Tok>{Name("a"), Kind(49), I32(1), End()}));
  EXPECT_EQ(LexText("(x)-1"), (std::vector<Tok>{Kind(82), Name("x"), Kind(83), Kind(49), I32(1), End()}));
  EXPECT_EQ(LexText("x=-1"), (std::vector<Tok>{Name("x"), Kind(32), I32(-1), End()}));
  EXPECT_EQ(LexText("f(+2)"), (std::vector<Tok>{{103, "f"}, Kind(82), I32(2), Kind(83), End()}));
  // Without the signed mode the sign is always an operator.
  EXPECT_EQ(LexText("a -1", 0x5C), (std::vector<Tok>{Name("a"), Kind(49), I32(1), End()}));
}

TEST_F(LexerTextTest, NumberTyping) {
  EXPECT_EQ(First("2147483648"), (Tok{238, {}, 2147483648u}));
  EXPECT_EQ(First(" -2147483648"), I32(INT32_MIN));
  EXPECT_EQ(LexText("-2147483648"), (std::vector<Tok>{Kind(49), Tok{238, {}, 2147483648u}, End()}));
  EXPECT_EQ(First("2147483647"), I32(INT32_MAX));
  EXPECT_EQ(First("4294967296"), (Tok{237, {}, 4294967296u}));
  EXPECT_EQ(First(" -2147483649"), (Tok{237, {}, uint64_t(-2147483649ll)}));
  EXPECT_EQ(First("9223372036854775808"), (Tok{239, {}, 9223372036854775808ull}));
  EXPECT_EQ(First("0xFFFFFFFFFFFFFFFF"), (Tok{239, {}, ~0ull}));
  EXPECT_EQ(First("0x10000000000000000"), Err(2));
  EXPECT_EQ(First("0x80000000i"), Err(2));
  EXPECT_EQ(First(" -0x80000000i"), I32(INT32_MIN));
  EXPECT_EQ(First("0x80000000"), (Tok{238, {}, 0x80000000u}));
  EXPECT_EQ(First("0x1F"), I32(31));
  EXPECT_EQ(First("7x1F"), I32(31));
  EXPECT_EQ(First("0xFFu"), (Tok{238, {}, 255}));
  EXPECT_EQ(First(" -0x1u"), Err(2));
  EXPECT_EQ(First("0x1I"), (Tok{237, {}, 1}));
  EXPECT_EQ(First("0x8000000000000000U"), (Tok{239, {}, 0x8000000000000000ull}));
  EXPECT_EQ(First("5u"), (Tok{238, {}, 5}));
  EXPECT_EQ(First("5I"), (Tok{237, {}, 5}));
  EXPECT_EQ(First("5U"), (Tok{239, {}, 5}));
  EXPECT_EQ(First("5b"), I32(5));
  EXPECT_EQ(First(" -5U"), (Tok{239, {}, uint64_t(-5ll)}));
  EXPECT_EQ(First("4294967297i"), I32(1));  // the low 32 bits
  // Kind 234 carries an F32, 235 an F64.
  for (auto [text, kind, want] :
       {std::tuple{"1.5", 234, 1.5}, {"1.5F", 235, 1.5}, {"3f", 234, 3.0}, {" -2.5e-1", 234, -0.25}}) {
    Tok t = First(text);
    ASSERT_EQ(t.kind, kind) << text;
    float f;
    double d;
    std::memcpy(&f, &t.bits, 4);
    std::memcpy(&d, &t.bits, 8);
    EXPECT_EQ(kind == 234 ? double(f) : d, want) << text;
  }
  EXPECT_EQ(First("1e"), Err(1));
  EXPECT_EQ(First("1e+"), Err(1));
  EXPECT_EQ(First(std::string(8192, '1')), Err(2));
}

TEST_F(LexerTextTest, StringsEscapesAndContinuation) {
  EXPECT_EQ(First(R"("a\"\'\\\b\f\n\r\t\x4a\x4Bz")"), (Tok{233, "a\"'\\\b\f\n\r\tJKz"}));
  EXPECT_EQ(First(R"('say "hi"')"), (Tok{233, "say \"hi\""}));
  EXPECT_EQ(First(R"("\q")"), Err(1));
  EXPECT_EQ(First(R"("\x4g")"), Err(1));
  EXPECT_EQ(First("\"a\tb\""), Err(3));
  EXPECT_EQ(First("\"abc"), Err(3));
  EXPECT_EQ(First("'a'\\\n   'b'"), (Tok{233, "ab"}));
  EXPECT_EQ(LexText("'a'\\ \r\n\t x"), (std::vector<Tok>{{233, "a"}, Name("x"), End()}));
  EXPECT_EQ(LexText("'a' 'b'"), (std::vector<Tok>{{233, "a"}, {233, "b"}, End()}));
  EXPECT_EQ(First('"' + std::string(8191, 'x') + '"'), (Tok{233, std::string(8191, 'x')}));
  EXPECT_EQ(First('"' + std::string(8192, 'x') + '"'), Err(2));
  EXPECT_EQ(First(R"("a\x00b")").text, std::string("a\0b", 3));  // the length is kept
}

TEST_F(LexerTextTest, RawBlocks) {
  EXPECT_EQ(First("#bs x##"), (Tok{233, "x"}));
  EXPECT_EQ(First("#bs\r\nline 1\n# not the end ##;"), (Tok{233, "line 1\n# not the end "}));
  EXPECT_EQ(First("#bs to the end"), (Tok{233, "to the end"}));
  EXPECT_EQ(First("#bx"), Err(1));  // a "#" without "bs" is an error token
  EXPECT_EQ(First("#"), Err(1));
  EXPECT_EQ(LexText("a # comment\nb", Lexer::kParserMode | 0x20), (std::vector<Tok>{Name("a"), Name("b"), End()}));

  std::string body;
  for (int i = 0; body.size() < 9000; ++i) body += "line " + std::to_string(i) + " \"quoted\" #\n";
  body.resize(9000);
  int saved = g_LogLevel;
  g_LogLevel = 0;
  std::vector<Tok> toks;
  std::string log;
  {
    LogCapture capture(LogErrPipe());
    toks = LexText("#bs " + body + "## ; #bs y##");
    log = capture.Text();
  }
  g_LogLevel = saved;
  ASSERT_EQ(toks.size(), 4u);
  EXPECT_EQ(toks[0], (Tok{233, body}));
  EXPECT_EQ(toks[1], Kind(19));
  EXPECT_EQ(toks[2], (Tok{233, "y"}));  // later blocks go to the tmp buffer directly
  EXPECT_NE(log.find("Lexer::Lex allocating Tmp(8191)."), std::string::npos) << log;
  EXPECT_EQ(log.find("allocating", log.find("allocating") + 1), std::string::npos) << "one growth only";
}

TEST_F(LexerTextTest, NamesAndReferences) {
  EXPECT_EQ(LexText(":a:b"), (std::vector<Tok>{{107, "a"}, {98, "b"}, End()}));
  EXPECT_EQ(LexText("::"), (std::vector<Tok>{{107, ""}, Kind(17), End()}));
  EXPECT_EQ(LexText("::x"), (std::vector<Tok>{{107, ""}, {98, "x"}, End()}));
  EXPECT_EQ(LexText(":( :"), (std::vector<Tok>{Kind(89), Kind(17), End()}));
  EXPECT_EQ(LexText(".name(-1)"), (std::vector<Tok>{{101, "name"}, Kind(82), I32(-1), Kind(83), End()}));
  EXPECT_EQ(LexText(".v[2]"), (std::vector<Tok>{{102, "v"}, Kind(80), I32(2), Kind(81), End()}));
  EXPECT_EQ(LexText(".x . 5"), (std::vector<Tok>{{97, "x"}, Kind(16), I32(5), End()}));
  EXPECT_EQ(LexText("f(x) _a1"), (std::vector<Tok>{{103, "f"}, Kind(82), Name("x"), Kind(83), Name("_a1"), End()}));
  EXPECT_EQ(LexText("$ff $123456789 @"), (std::vector<Tok>{{99, {}, 255}, {99, {}, 0x23456789}, Kind(100), End()}));
  EXPECT_EQ(First(std::string(8191, 'n')), Name(std::string(8191, 'n').c_str()));
  EXPECT_EQ(First(std::string(8192, 'n')), Err(2));
}

TEST_F(LexerTextTest, PunctuationAndComments) {
  std::vector<Tok> expect;
  for (int k : {60, 68, 53, 57, 61, 82, 83,  52, 50, 34, 18, 49, 33, 19, 66, 54, 64,
                32, 69, 67, 55, 65, 20, 100, 80, 81, 59, 63, 84, 58, 62, 85, 56, 51})
    expect.push_back(Kind(k));
  expect.push_back(End());
  EXPECT_EQ(LexText("! != % & && ( ) * + += , - -= ; < << <= = == > >> >= ? @ [ ] ^ ^^ { | || } ~ /"), expect);
  EXPECT_EQ(LexText("`\x01\x80"), (std::vector<Tok>{{254, {}, '`'}, {254, {}, 1}, {254, {}, 0x80}, End()}));
  EXPECT_EQ(LexText("a // c\nb /* x\n*/ c /**/d"),
            (std::vector<Tok>{Name("a"), Name("b"), Name("c"), Name("d"), End()}));
  EXPECT_EQ(LexText("a /* open"), (std::vector<Tok>{Name("a"), End()}));
  EXPECT_EQ(LexText("a//b", 0), (std::vector<Tok>{Name("a"), Kind(51), Kind(51), Name("b"), End()}));
  EXPECT_EQ(LexText("a \t b\r\n", 0), (std::vector<Tok>{Name("a"), Kind(27), Name("b"), Kind(28), Kind(28), End()}));
}

TEST_F(LexerTextTest, LinesAndColumnsOnlyWithMode1) {
  std::string s = "a\n  bc d\r\n\n e";
  Lexer l(s.data(), s.size(), Lexer::kParserMode | 1);
  l.Lex();
  EXPECT_EQ(l.GetLine(), 1);
  EXPECT_EQ(l.GetColumn(), 2);
  l.Lex();  // bc
  EXPECT_EQ(l.GetLine(), 2);
  EXPECT_EQ(l.GetColumn(), 5);
  l.Lex();  // d
  l.Lex();  // e
  EXPECT_EQ(l.GetLine(), 4);
  EXPECT_EQ(l.GetColumn(), 3);
  Lexer quiet(s.data(), s.size(), Lexer::kParserMode);
  quiet.Lex();
  quiet.Lex();
  EXPECT_EQ(quiet.GetLine(), 0);
  EXPECT_EQ(quiet.GetColumn(), 0);
}

TEST_F(LexerTextTest, ModeBitAccessors) {
  Lexer l("", 0, 0);
  l.SetSignedNumbers(true);
  l.SetBlockComments(true);
  EXPECT_EQ(l.Mode(), 0x42u);
  EXPECT_EQ(l.GetSignedNumbers(), 1);
  EXPECT_EQ(l.GetSkipBlanks(), 0);
  l.SetSignedNumbers(false);
  EXPECT_EQ(l.Mode(), 0x40u);
  l.Lex();
  EXPECT_EQ(l.Kind(), 255);
}

// A script with every text token form, long names and strings, sized across several stream pieces.
std::string PieceScript() {
  std::string s;
  for (int i = 0; s.size() < 40000; ++i) {
    s += "var v" + std::to_string(i) + " = -" + std::to_string(i * 7919) + " + 0x" + std::to_string(i) +
         "u * 1.25e3 -" + std::to_string(i) + "; // comment\n";
    s += "obj.Member" + std::to_string(i) + "(\"str\\x41ing " + std::to_string(i) + "\"\\\n 'more');\n";
    s += ":n" + std::to_string(i) + ":x :: $" + std::to_string(i) + " /* block " + std::string(i % 300, '*') + " */\n";
    if (i % 40 == 0) s += "#bs " + std::string(9000, 'r') + "##\n";
    if (i % 13 == 0) s += std::string(i % 8192, 'q') + " ";
  }
  return s;
}

TEST_F(LexerTextTest, StreamPiecesLexAsMemory) {
  std::string s = PieceScript();
  std::vector<Tok> memory = LexText(s, Lexer::kParserMode | 1);
  ASSERT_GT(memory.size(), 1000u);
  ASSERT_EQ(memory.back(), End());
  for (size_t piece : {size_t(8192), size_t(1), size_t(7), size_t(4095)}) {
    StreamPipeRef stream(NewCounted<PieceStream>(s, piece));
    Lexer l(stream.Get(), Lexer::kParserMode | 1);
    EXPECT_EQ(LexAll(l), memory) << "piece " << piece;
    EXPECT_EQ(l.GetLine(), int(std::count(s.begin(), s.end(), '\n')) + 1);
  }
  StreamPipeRef view(NewMemoryViewStream(s.data(), s.size()));
  Lexer l(view.Get(), Lexer::kParserMode | 1);
  EXPECT_EQ(LexAll(l), memory) << "memory view stream";
}

TEST_F(LexerTextTest, SignAcrossAPieceBoundary) {
  std::string s(8190, ' ');
  s += "a -1";  // the "-" is the last byte of the first piece
  StreamPipeRef stream(NewCounted<PieceStream>(s));
  Lexer l(stream.Get(), Lexer::kParserMode);
  EXPECT_EQ(LexAll(l), (std::vector<Tok>{Name("a"), I32(-1), End()}));
}

TEST_F(LexerTextTest, ExpectAcceptAndSkipStatement) {
  std::string s = "a b; c d e ; f";
  Lexer l(s.data(), s.size(), Lexer::kParserMode | 1);
  Parser report(&l, nullptr, nullptr, "test.txt", 0);
  l.SetOwner(&report);
  l.Lex();
  std::string out;
  {
    LogCapture capture(LogOutPipe());
    EXPECT_EQ(l.ReadExpect(19), 0x8000000Au);
    out = capture.Text();
  }
  EXPECT_EQ(l.Kind(), 96);  // not moved
  EXPECT_EQ(report.ErrorCount(), 1);
  EXPECT_EQ(out, "File: test.txt(1) x=2 :\n    ReadExpect: expected LT_0x13 but found LT_0x60.\n");
  EXPECT_EQ(l.ReadExpect(96), 0u);
  EXPECT_EQ(l.Accept(19), 0x8000000Au);
  EXPECT_EQ(l.Accept(96), 0u);
  EXPECT_EQ(l.Kind(), 19);
  EXPECT_EQ(l.SkipStatement(), 0u);  // stops at the next ";"
  EXPECT_EQ(l.Kind(), 19);
  EXPECT_EQ(l.SkipStatement(), 0x8000000Au);
  EXPECT_EQ(l.Kind(), 255);

  Parser quiet(&l, nullptr, nullptr, "q", kParseQuiet);
  l.SetOwner(&quiet);
  {
    LogCapture capture(LogOutPipe());
    EXPECT_EQ(l.ReadExpect(19), 0x8000000Au);
    EXPECT_EQ(capture.Text(), "");
  }
  EXPECT_EQ(quiet.ErrorCount(), 1);
}

TEST_F(LexerTextTest, ParseValueDeliversLiterals) {
  // ParseValue is called at the token before the value and leaves the token after it current.
  std::string s = "=True =False ='x' =1.5 =2.5F =-3 =4I =5u =6U =x";
  Lexer l(s.data(), s.size(), Lexer::kParserMode);
  l.Lex();
  Recorder r(&l);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(l.ParseValue(r), 0u);
  EXPECT_EQ(r.seen, "Bool:true Bool:false String:x F32:1.500000 F64:2.500000 I32:-3 I64:4 U32:5 U64:6 ");
  EXPECT_EQ(l.Kind(), 32);
  // Other kinds go to the value parser hook; without one they are a reported error.
  SetParseValueCB(nullptr);
  Parser report(&l, nullptr, nullptr, "v", kParseQuiet);
  l.SetOwner(&report);
  EXPECT_EQ(l.ParseValue(r), 0x80000001u);
  EXPECT_EQ(report.ErrorCount(), 1);
  SetParseValueCB([](Lexer& lx, ValueVisitor& v) { return v.FoundI32(lx.Kind()); });
  std::string t = "=(";
  Lexer l2(t.data(), t.size(), Lexer::kParserMode);
  l2.Lex();
  EXPECT_EQ(l2.ParseValue(r), 0u);
  SetParseValueCB(&ValueParser::ParseValueCB);
  EXPECT_NE(r.seen.find("I32:82 "), std::string::npos);
}

}  // namespace
}  // namespace PM
