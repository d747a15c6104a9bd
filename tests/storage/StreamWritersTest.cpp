// The value writers and text readers: exact texts that printed output, logs and files rely on.
#include <cmath>
#include <limits>
#include <string>

#include "core/Matrix4f.h"
#include "core/Spheref.h"
#include "core/Vector2f.h"
#include "core/Vector4f.h"
#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

// A memory stream and the text written into it.
struct Sink {
  StreamPipeRef s{NewMemoryStream()};
  std::string Text() {
    size_t n;
    const uint8_t* p = MemoryStreamData(s.Get(), &n);
    return std::string(reinterpret_cast<const char*>(p), n);
  }
};

template <class F>
std::string Written(F write) {
  Sink k;
  write(k.s);
  return k.Text();
}

using StreamWritersTest = Test::BlockCheckedTest;

TEST_F(StreamWritersTest, Floats) {
  auto f32 = [](float v) { return Written([&](StreamPipeRef& s) { s.WriteF32(v); }); };
  auto f64 = [](double v) { return Written([&](StreamPipeRef& s) { s.WriteF64(v); }); };
  EXPECT_EQ(f32(1.0f), "1.");
  EXPECT_EQ(f32(-2.5f), "-2.5");
  EXPECT_EQ(f32(0.1f), "0.1");
  EXPECT_EQ(f32(1234567.0f), "1234567.");
  EXPECT_EQ(f32(3.14159265f), "3.141593");
  EXPECT_EQ(f32(0.0f), "0.");
  // Exponent forms get their point before the exponent.
  EXPECT_EQ(f32(1e20f), "1.e+20");
  EXPECT_EQ(f32(1.5e-10f), "1.5e-10");
  EXPECT_EQ(f32(1e-10f), "1.e-10");
  EXPECT_EQ(f32(-1e-16f), "-1.e-16");
  EXPECT_EQ(f32(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(f32(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(f32(std::nanf("")), "nan");
  EXPECT_EQ(f64(1.0), "1.");
  EXPECT_EQ(f64(0.1), "0.100000000000000006");
  EXPECT_EQ(f64(1.0 / 3), "0.333333333333333315");
  EXPECT_EQ(f64(1e22), "1.e+22");
  EXPECT_EQ(f64(1e300), "1.00000000000000005e+300");
}

TEST_F(StreamWritersTest, IntegersHexAndText) {
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteHexPadded(0xAB, 4); }), "00AB");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteHexPadded(0xAB, 0); }), "AB");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteHexPadded(0xAB, 20); }), "00000000000000AB");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteHexPadded(0xAB, -1); }), "00000000000000AB");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteHexPadded(0x12345, 2); }), "12345");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteHex(0xbeef); }), "BEEF");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteText(nullptr); }), "(NULL)");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteI32(-5).WriteSpace().WriteU32(4000000000u).WriteChar('|'); }),
            "-5 4000000000|");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteI64(INT64_MIN).WriteSpace().WriteU64(UINT64_MAX); }),
            "-9223372036854775808 18446744073709551615");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteLine("ab").WriteStringLine(String("cd")); }), "ab\ncd\n");
}

TEST_F(StreamWritersTest, Quoted) {
  auto q = [](const char* t, int n, int quote) {
    return Written([&](StreamPipeRef& s) { s.WriteQuoted(t, n, quote); });
  };
  EXPECT_EQ(q("a\b\t\n\f\r\"'\\z", -1, '"'), "\"a\\b\\t\\n\\f\\r\\\"\\'\\\\z\"");
  EXPECT_EQ(q("\x01\x1f\x7f\x80\xff", -1, '\''), "'\\x01\\x1F\\x7F\x80\xff'");
  EXPECT_EQ(q("a\0b", 3, 0), "a\\x00b");
  EXPECT_EQ(q("abc", 2, '"'), "\"ab\"");
  EXPECT_EQ(q(nullptr, -1, '"'), "\"\"");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteQuotedString(String("x\ny"), 34); }), "\"x\\ny\"");
}

TEST_F(StreamWritersTest, MathValues) {
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteVector2f({1, -0.5f}); }), "(1.,-0.5)");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteVector3f({1, 2, 3}); }), "(1.,2.,3.)");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteVector4f({0.25f, 0, 0, 1}); }), "(0.25,0.,0.,1.)");
  Matrix4f m{};
  for (int i = 0; i < 16; ++i) m.m[i] = float(i);
  EXPECT_EQ(Written([&](StreamPipeRef& s) { s.WriteMatrix4f(m); }),
            "(0.,1.,2.,3.,4.,5.,6.,7.,8.,9.,10.,11.,12.,13.,14.,15.)");
  EXPECT_EQ(Written([](StreamPipeRef& s) { s.WriteSpheref({{1, 2, 3}, 4.5f}); }), "((1.,2.,3.),4.5)");
}

TEST_F(StreamWritersTest, ReadQuoted) {
  const char text[] = "  \t\r\n\"Type \\\"A\\\"\\x41\" 'b'\n \"open";
  StreamPipeRef s(NewMemoryViewStream(text, sizeof text - 1));
  String out;
  s.SkipSpaces();
  EXPECT_EQ(s.ReadQuoted(out, '"'), 1);
  EXPECT_EQ(out, "Type \"A\"A");
  s.SkipSpaces();
  EXPECT_EQ(s.ReadQuoted(out, '"'), 0) << "a different quote is not a string";
  EXPECT_EQ(s->PeekByte(), '\'');
  EXPECT_EQ(s.ReadQuoted(out, '\''), 1);
  EXPECT_EQ(out, "b");
  s.SkipSpaces();
  EXPECT_EQ(s.ReadQuoted(out, '"'), 0) << "closing quote missing";
  EXPECT_TRUE(out.IsEmpty());
  s.SkipSpaces();
  EXPECT_EQ(s.ReadQuoted(out, '"'), 0);

  // What WriteQuoted writes, ReadQuoted reads back.
  Sink k;
  const char raw[] = "q\"\\\x01\xe9\n";
  k.s.WriteQuoted(raw, -1, '"');
  std::string t = k.Text();
  StreamPipeRef r(NewMemoryStream(t.data(), t.size()));
  EXPECT_EQ(r.ReadQuoted(out, '"'), 1);
  EXPECT_EQ(out, raw);
}

TEST_F(StreamWritersTest, NullPipeTakesAndGivesNothing) {
  StreamPipeRef n;
  EXPECT_TRUE(n.IsNull());
  char buf[4];
  EXPECT_EQ(n->Read(buf, 4), 0);
  EXPECT_LT(n->ReadByte(), 0);
  EXPECT_LT(n->PeekByte(), 0);
  EXPECT_EQ(n->Write("abc", 3), 0);
  n.WriteText("x").WriteF32(1).EndLine();
  String out;
  EXPECT_EQ(n.ReadQuoted(out, '"'), 0);
}

}  // namespace
}  // namespace PM
