#include <cmath>
#include <functional>
#include <vector>

#include "OperatorTestSupport.h"
#include "script/lang/OperandVisitor.h"

namespace PM::Test {
namespace {

// A token source of given kinds and values, for operands that script text cannot spell without the
// group and hash-literal forms (vectors, hashes).
class ScriptedLexer : public Lexer {
 public:
  using Value = std::function<uint32_t(ValueVisitor&)>;
  struct Item {
    int32_t kind;
    Value value;  // null for operators
  };
  explicit ScriptedLexer(std::vector<Item> items) : Lexer("", 0, kParserMode), m_items(std::move(items)) {
    m_items.insert(m_items.begin(), Item{kTokSemicolon, nullptr});  // the token before the first value
    m_kind = m_items[0].kind;
  }
  void Lex() override {
    ++m_at;
    m_kind = m_at < m_items.size() ? m_items[m_at].kind : int32_t(kTokEnd);
  }
  uint32_t ParseValue(ValueVisitor& v) override {
    Lex();
    if (m_at >= m_items.size() || !m_items[m_at].value) return kParseUnexpected;
    Value f = m_items[m_at].value;
    Lex();
    return f(v);
  }

 private:
  std::vector<Item> m_items;
  size_t m_at = 0;
};

ScriptedLexer::Item Vec(float x, float y, float z) {
  return {kTokVector3f, [=](ValueVisitor& v) {
            const float f[3] = {x, y, z};
            return v.FoundVector3f(f);
          }};
}
ScriptedLexer::Item F32(float s) {
  return {kTokF32, [=](ValueVisitor& v) { return v.FoundF32(s); }};
}
ScriptedLexer::Item Hash(const NameHash& h) {
  return {kTokName, [=](ValueVisitor& v) { return v.FoundNameHash(h); }};
}
ScriptedLexer::Item Op(int32_t kind) { return {kind, nullptr}; }

Evaluated RunChain(ScriptedLexer& lexer) {
  Evaluated e;
  Parser parser(&lexer, nullptr, nullptr, String("t"), 0);
  Captured into(&lexer, e);
  Visitor::OperatorContinuation chain(&lexer, into);
  e.code = lexer.ParseValue(chain);
  e.toEnd = lexer.Kind() == kTokEnd;
  return e;
}

int32_t BoxedI32(ScriptObject* o) { return static_cast<ValueBox<VI32>*>(o)->value; }

}  // namespace

TEST_F(OperatorTest, IntegerArithmeticThroughTheExpressionEntry) {
  EXPECT_EQ(Expression<VI32>("1 + 2 * 3"), 7);
  EXPECT_EQ(Expression<VI32>("10 - 4 - 3"), 3);
  EXPECT_EQ(Expression<VI32>("2 * 3 + 4 * 5"), 26);
  EXPECT_EQ(Expression<VI32>("7 / 2"), 3);
  // A sign is part of a number after a blank or an operator (not at the very start of the text).
  EXPECT_EQ(Expression<VI32>(" -7 / 2"), -3);
  EXPECT_EQ(Expression<VI32>(" -7 % 2"), -1);
  EXPECT_EQ(Expression<VI32>("1 << 33"), 2);
  EXPECT_EQ(Expression<VI32>(" -8 >> 1"), -4);
  EXPECT_EQ(Expression<VU32>("4294967288u >> 1u"), 2147483644u);
  EXPECT_EQ(Expression<VI32>("2147483647 + 1"), INT32_MIN);  // wraps
  EXPECT_EQ(Expression<VU32>("0u - 1u"), 0xFFFFFFFFu);
  EXPECT_EQ(Expression<VBool>("4294967295u > 1u"), true);  // unsigned comparison
  EXPECT_EQ(Expression<VBool>(" -1 < 1"), true);
  EXPECT_EQ(TakeMessages(), "");
}

TEST_F(OperatorTest, FloatsAndMixedOperands) {
  EXPECT_EQ(Expression<VF32>("5.5 % 2"), 1.5f);
  EXPECT_EQ(Expression<VF32>("3 / 2.0"), 1.5f);
  EXPECT_EQ(Expression<VF32>("1 - 0.25"), 0.75f);  // each operand keeps its side
  EXPECT_EQ(Expression<VF32>("0.25 - 1"), -0.75f);
  EXPECT_EQ(Expression<VF32>(" -5.5 % 2"), -1.5f);
  EXPECT_EQ(Expression<VBool>("2 < 2.5"), true);
  // A NaN equals nothing, itself included.
  EXPECT_EQ(Expression<VBool>("0.0 / 0.0 == 0.0 / 0.0"), false);
  EXPECT_EQ(Expression<VBool>("0.0 / 0.0 != 0.0 / 0.0"), true);
  EXPECT_EQ(Expression<VBool>("0.0 / 0.0 <= 1.0"), false);
  EXPECT_TRUE(std::isinf(Expression<VF32>("1.0 / 0.0")));
}

TEST_F(OperatorTest, BoolsStringsAndChainsOfAnotherType) {
  EXPECT_EQ(Expression<VBool>("1 < 2 == True"), true);
  EXPECT_EQ(Expression<VBool>("True ^^ True || False"), false);
  EXPECT_EQ(Expression<VBool>("True && False || True"), true);
  EXPECT_EQ(Expression<VString>("\"a\" + \"b\"").EqualsCStr("ab"), true);
  EXPECT_EQ(Expression<VBool>("\"ab\" < \"abc\""), true);  // a proper prefix is smaller
  EXPECT_EQ(Expression<VBool>("\"B\" < \"a\""), true);     // case-sensitive byte order
  EXPECT_EQ(Expression<VBool>("\"a\" == \"a\""), true);
  EXPECT_EQ(TakeMessages(), "");
}

TEST_F(OperatorTest, EmptyStringOperandSharesTheOther) {
  Evaluated e = Eval("\"\" + \"abc\"");
  ASSERT_EQ(e.type, "String");
  EXPECT_TRUE(e.str.EqualsCStr("abc"));
}

// A result of another type restarts the chain with the operator after it as floor, so the chain ends
// where that operator's precedence ends.
TEST_F(OperatorTest, ChainOfAnotherTypeStopsAtItsFloor) {
  Evaluated e = Eval("1 < 2 == True && False");
  EXPECT_EQ(e.code, 0u);
  EXPECT_EQ(e.type, "Bool");
  EXPECT_EQ(e.number, 1.0);       // && False was not applied
  EXPECT_EQ(e.next, kTokAndAnd);  // left for the statement's ";" check
  // Within one precedence level the chain goes on.
  e = Eval("1 < 2 == True == True");
  EXPECT_EQ(e.number, 1.0);
  EXPECT_TRUE(e.toEnd);
}

TEST_F(OperatorTest, UnsupportedCombinationsAreReported) {
  struct Case {
    const char* text;
    const char* message;
    uint32_t code;
  } cases[] = {
      {"True + 1", "Eval: operator +(Bool,I32) is not supported.", kParseUnsupported},
      {"1 && 2", "Eval: operator &&(I32,I32) is not supported.", kParseUnsupported},
      {"\"a\" - \"b\"", "Eval: operator 0x31 is not supported.", kParseUnsupported},
      {"1 << 2.0", "Eval: operator 0x36 is not supported.", kParseUnsupported},
      {"2.0 & 1.0", "Eval: operator &(F32,F32) is not supported.", kParseUnsupported},
      {"1u - 1", "Eval: operator -(U32,I32) is not supported.", kParseUnsupported},
      {"1 + 2I", "Eval: operator +(I32,I64) is not supported.", kParseUnsupported},
      {"True < False", "Eval: operator <(Bool,Bool) is not supported.", kParseUnsupported},
      {"1 + \"a\"", "Eval: operator +(I32,String) is not supported.", kParseUnsupported},
      // A String right operand before ")" is reported like any other.
      {"1 + \"a\")", "Eval: operator +(I32,String) is not supported.", kParseUnsupported},
      {"7 / 0", "Eval: division by zero.", kParseInvalidArgument},
      {"7 % 0", "Eval: division by zero.", kParseInvalidArgument},
      {"7u / 0u", "Eval: division by zero.", kParseInvalidArgument},
      {"7u % 0u", "Eval: division by zero.", kParseInvalidArgument},
      {" -2147483648 / -1", "Eval: division by zero.", kParseInvalidArgument},
  };
  for (const Case& c : cases) {
    Evaluated e = Eval(c.text);
    EXPECT_EQ(e.code, c.code) << c.text;
    EXPECT_EQ(e.type, "") << c.text;
    EXPECT_EQ(TakeMessages(), std::string(c.message) + "\n") << c.text;
  }
  // The remainder of the smallest I32 by -1 is exactly 0.
  Evaluated e = Eval(" -2147483648 % -1");
  EXPECT_EQ(e.type, "I32");
  EXPECT_EQ(e.number, 0.0);
  // Through the entry point: no value, and its own failure message after the operator's.
  EXPECT_TRUE(Parser::ParseExpression(nullptr, String("True + 1")).IsNil());
  EXPECT_EQ(TakeMessages(), "Eval: operator +(Bool,I32) is not supported.\nParseCondition: error in expression.\n");
}

TEST_F(OperatorTest, Vector3fOperations) {
  {
    ScriptedLexer lx({Vec(1, 0, 0), Op(kTokXor), Vec(0, 1, 0)});
    Evaluated e = RunChain(lx);
    ASSERT_EQ(e.type, "Vector3f");
    EXPECT_EQ(e.vec, (Vector3f{0, 0, 1}));
  }
  {
    ScriptedLexer lx({Vec(2, 4, -6), Op(kTokDivide), F32(2)});
    EXPECT_EQ(RunChain(lx).vec, (Vector3f{1, 2, -3}));
  }
  {
    ScriptedLexer lx({F32(2), Op(kTokMultiply), Vec(1, 2, 3), Op(kTokPlus), Vec(1, 1, 1)});
    EXPECT_EQ(RunChain(lx).vec, (Vector3f{3, 5, 7}));
  }
  {
    // * binds tighter than -: (1,1,1) - ((1,2,3) * 2).
    ScriptedLexer lx({Vec(1, 1, 1), Op(kTokMinus), Vec(1, 2, 3), Op(kTokMultiply), F32(2)});
    EXPECT_EQ(RunChain(lx).vec, (Vector3f{-1, -3, -5}));
  }
  {
    ScriptedLexer lx({Vec(1, 2, 3), Op(kTokEqual), Vec(1, 2, 3)});
    Evaluated e = RunChain(lx);
    EXPECT_EQ(e.type, "Bool");
    EXPECT_EQ(e.number, 1.0);
  }
  EXPECT_EQ(TakeMessages(), "");
  {
    ScriptedLexer lx({Vec(1, 2, 3), Op(kTokLess), Vec(1, 2, 3)});
    EXPECT_EQ(RunChain(lx).code, kParseUnsupported);
    ScriptedLexer lx2({F32(2), Op(kTokDivide), Vec(1, 2, 3)});
    EXPECT_EQ(RunChain(lx2).code, kParseUnsupported);
    ScriptedLexer lx3({Vec(1, 2, 3), Op(kTokPlus), F32(2)});
    EXPECT_EQ(RunChain(lx3).code, kParseUnsupported);
  }
  EXPECT_EQ(TakeMessages(),
            "Eval: operator <(Vector3f,Vector3f) is not supported.\n"
            "Eval: operator /(F32,Vector3f) is not supported.\n"
            "Eval: operator +(Vector3f,F32) is not supported.\n");
}

TEST_F(OperatorTest, HashMergeLetsTheRightWin) {
  Obj<ScriptObject> one = NewBox<VI32>(1), two = NewBox<VI32>(2), three = NewBox<VI32>(3);
  NameHash left, right;
  left.Set(String("a"), one.Get());
  left.Set(String("b"), two.Get());
  right.Set(String("b"), three.Get());
  {
    ScriptedLexer lx({Hash(left), Op(kTokPlus), Hash(right)});
    Evaluated e = RunChain(lx);
    ASSERT_EQ(e.type, "NameHash");
    EXPECT_EQ(e.hash.Count(), 2);
    EXPECT_EQ(BoxedI32(e.hash.Find(String("a"))), 1);
    EXPECT_EQ(BoxedI32(e.hash.Find(String("b"))), 3);
    EXPECT_EQ(left.Count(), 2);  // the operands are unchanged
    EXPECT_EQ(BoxedI32(left.Find(String("b"))), 2);
  }
  {
    ScriptedLexer lx({Hash(left), Op(kTokMinus), Hash(right)});
    EXPECT_EQ(RunChain(lx).code, kParseUnsupported);
    EXPECT_EQ(TakeMessages(), "Eval: operator 0x31 is not supported.\n");
  }
}

}  // namespace PM::Test
