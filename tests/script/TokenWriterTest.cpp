// Plain token records: the writer's exact bytes and the reader that reads them back.
#include "LexerTestSupport.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "script/lang/PlainTokenReader.h"
#include "script/lang/ScriptStreamSimple.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using namespace Test;
using TokenWriterTest = BlockCheckedTest;

std::string Bytes(void (*write)(ScriptStreamSimple&)) {
  PieceStream* s = NewCounted<PieceStream>();
  StreamPipeRef ref(s);
  Ptr<ScriptStreamSimple> w(ScriptStreamSimple::Create(s));
  write(*w);
  return s->Bytes();
}

TEST_F(TokenWriterTest, PinnedBytes) {
  EXPECT_EQ(Bytes([](ScriptStreamSimple&) {}), std::string("\x42\x53\x42\x05", 4));
  auto tail = [](void (*write)(ScriptStreamSimple&)) { return Bytes(write).substr(4); };
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.Write(true); }), std::string("\x08\x01", 2));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.Write(false); }), std::string("\x08\x00", 2));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.Write(int32_t(-1)); }), std::string("\x0A\xFF\xFF\xFF\xFF", 5));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.WriteToken(255); }), std::string("\xFF", 1));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) {
              EXPECT_EQ(w.WriteToken(251), 251);
              w.WriteToken(252);
            }),
            "");
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.WriteString(String()); }), std::string("\x09\x00\x00\x00\x00", 5));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.WriteName160(""); }), std::string("\xA0\x00", 2));
  // All bytes of a three-byte text share the key byte of n = 3: 0x2B.
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.WriteString(String("abc")); }),
            std::string("\x09\x03\x00\x00\x00", 5) + char('a' ^ 0x2B) + char('b' ^ 0x2B) + char('c' ^ 0x2B));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.WriteName161("ab"); }),
            std::string("\xA1\x02", 2) + char('a' ^ 0x72) + char('b' ^ 0x72));  // n = 2: 0x72
  EXPECT_EQ(tail([](ScriptStreamSimple& w) {
              w.Write(Array<int32_t>{7, -1});
            }),
            std::string("\x4E\x02\x00\x00\x00\x07\x00\x00\x00\xFF\xFF\xFF\xFF", 13));
  EXPECT_EQ(tail([](ScriptStreamSimple& w) { w.Write(2.0); }), std::string("\x0F\0\0\0\0\0\0\0\x40", 9));
}

TEST_F(TokenWriterTest, RefusesWhatCannotBeWritten) {
  EXPECT_EQ(ScriptStreamSimple::Create(nullptr), nullptr);
  std::string longName(256, 'n');
  EXPECT_EQ(Bytes([](ScriptStreamSimple& w) {
              EXPECT_EQ(w.WriteName160(std::string(256, 'n').c_str()), -1);
              EXPECT_EQ(w.WriteString(std::string(8192, 's').c_str(), 8192), -1);
            }).size(),
            4u);
}

TEST_F(TokenWriterTest, RecordsReadBack) {
  PieceStream* s = NewCounted<PieceStream>(std::string(), 5);
  StreamPipeRef ref(s);
  {
    Ptr<ScriptStreamSimple> w(ScriptStreamSimple::Create(s));
    w->Write(true);
    w->Write(int32_t(-5));
    w->Write(uint32_t(7));
    w->Write(1.5f);
    w->Write(2.25);
    w->Write(Vector2f{1, 2});
    w->Write(Vector3f{1, 2, 3});
    w->Write(Vector4f{1, 2, 3, 4});
    w->Write(Array<float>{0.5f, 1.5f});
    w->WriteString(String(std::string(8191, 'z')));
    w->WriteName160("alpha");
    w->WriteName161("beta");
    w->WriteName162(String(std::string(255, 'g')));
    w->WriteToken(19);
    w->WriteToken(176);
    w->WriteToken(255);
  }
  PlainTokenReader r(s, 0);
  auto next = [&] {
    r.Lex();
    return r.Kind();
  };
  EXPECT_EQ(next(), 8);
  EXPECT_TRUE(r.Value().b);
  EXPECT_EQ(next(), 10);
  EXPECT_EQ(r.Value().i32, -5);
  EXPECT_EQ(next(), 12);
  EXPECT_EQ(r.Value().u32, 7u);
  EXPECT_EQ(next(), 14);
  EXPECT_EQ(r.Value().f32, 1.5f);
  EXPECT_EQ(next(), 15);
  EXPECT_EQ(r.Value().f64, 2.25);
  EXPECT_EQ(next(), 16);
  EXPECT_EQ(r.Value().f[1], 2.0f);
  EXPECT_EQ(next(), 18);
  EXPECT_EQ(r.Value().f[2], 3.0f);
  EXPECT_EQ(next(), 20);
  EXPECT_EQ(r.Value().f[3], 4.0f);
  EXPECT_EQ(next(), 78);
  ASSERT_EQ(r.Elements().Count(), 2);
  EXPECT_EQ(r.Elements()[1], 0x3FC00000u);
  EXPECT_EQ(next(), 9);
  EXPECT_EQ(std::string(r.Text(), size_t(r.TextLength())), std::string(8191, 'z'));
  EXPECT_EQ(next(), 160);
  EXPECT_STREQ(r.Text(), "alpha");
  EXPECT_EQ(next(), 161);
  EXPECT_STREQ(r.Text(), "beta");
  EXPECT_EQ(next(), 162);
  EXPECT_EQ(std::string(r.Text()), std::string(255, 'g'));
  EXPECT_EQ(next(), 0);  // code 19 is not a plain record
  EXPECT_EQ(r.Value().i32, 3);
  EXPECT_EQ(next(), 176);
  EXPECT_EQ(next(), 255);
  EXPECT_EQ(next(), 255);
  EXPECT_EQ(r.GetLine(), 0);
}

TEST_F(TokenWriterTest, ReaderWithoutHeaderAndCorruptRecords) {
  auto read = [](const std::string& bytes) {
    StreamPipeRef s(NewCounted<PieceStream>(bytes));
    PlainTokenReader r(s.Get(), 0);
    std::vector<int> out;
    do {
      r.Lex();
      out.push_back(r.Kind() == 0 ? -r.Value().i32 : r.Kind());
    } while (r.Kind() != 255 && r.Kind() != 0);
    return out;
  };
  EXPECT_EQ(read(std::string("\xFB\xFC\x08\x01\xF0\xFF", 6)), (std::vector<int>{8, 240, 255}));
  EXPECT_EQ(read(std::string("\x09\x00\x20\x00\x00", 5)), (std::vector<int>{-2}));
  EXPECT_EQ(read(std::string("\x4E\xFF\xFF\xFF\xFF\x01\x00\x00\x00", 9)), (std::vector<int>{-2}));
  EXPECT_EQ(read(std::string("\x42\x53\x42", 3)), (std::vector<int>{-3}));
  EXPECT_EQ(read(""), (std::vector<int>{255}));
}

}  // namespace
}  // namespace PM
