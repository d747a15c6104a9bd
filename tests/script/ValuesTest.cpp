// The value parser's operand forms: array and hash literals, groups and vector literals, prefix
// operators, "@" forms, calls and defined(), as text scripts and single values.
#include <cstring>
#include <sstream>

#include "ParserFixture.h"
#include "script/lang/PrintHash.h"
#include "script/lang/TypedVisitor.h"
#include "script/lang/ValueParser.h"
#include "script/object/ValueBox.h"

namespace PM::Test {
namespace {

// Writes each value it gets as "Type:text" (objects by class name, arrays by element class and count).
class Capture : public TypedVisitor<Capture> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    StreamPipeRef out(m_sink);
    m_text << T::kName << ':';
    if constexpr (std::is_same_v<T, VNameHash>)
      PrintHash(out, v);
    else if constexpr (std::is_same_v<T, VEnum> || std::is_same_v<T, VMemberID>)
      out.WriteHex(v);
    else
      WriteValue(out, T{}, v);
    m_text << m_sink->text;
    m_sink->text.clear();
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override {
    m_text << "Object:" << object->GetClassName();
    if (object->GetClassID() == kClassI32) m_text << '=' << static_cast<ValueBox<VI32>*>(object)->value;
    return 0;
  }
  uint32_t FoundArray(void* array, uint32_t elementClassId) override {
    m_text << "Array:" << (elementClassId ? ClassName(elementClassId) : "0") << 'x' << HeaderOf(array)->count;
    if (elementClassId == kClassScriptObject)
      for (int i = 0; i < HeaderOf(array)->count; ++i)
        m_text << ' ' << static_cast<Obj<ScriptObject>*>(array)[i]->GetClassName();
    return 0;
  }
  std::string Text() const { return m_text.str(); }

 private:
  std::ostringstream m_text;
  TextPipe* m_sink = NewCounted<TextPipe>();
  Obj<TextPipe> m_hold{m_sink};
};

class ValuesTest : public ParserFixture {
 protected:
  // One operand parsed into a Capture: its text, or "fail 0x..." with the result code.
  std::string Value(const std::string& text) {
    int64_t before = LiveBlockCount();
    std::string result;
    {
      Lexer lexer(text.data(), text.size(), Lexer::kParserMode);
      Parser parser(&lexer, m_engine, nullptr, String("v"), 0);
      lexer.Lex();
      Capture capture(&lexer);
      uint32_t r = ParseValueCB(lexer, capture);
      std::ostringstream s;
      if (r)
        s << "fail 0x" << std::hex << std::uppercase << r;
      else
        s << capture.Text();
      result = s.str();
    }
    EXPECT_EQ(LiveBlockCount(), before) << text;
    return result;
  }
  bool Reported(const std::string& message) {
    std::string out = Out();
    bool found = out.find(message) != std::string::npos;
    EXPECT_TRUE(found) << "missing: " << message << "\nin: " << out;
    return found;
  }
};

TEST_F(ValuesTest, ArrayLiterals) {
  EXPECT_EQ(Value("[]"), "Array:0x0");
  EXPECT_EQ(Value("[1,]"), "Array:I32x1");
  EXPECT_EQ(Value("[1;2]"), "Array:I32x2");
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Value("[1 2]"), "Array:I32x2");
  Reported("Value: Array: missing either ',' or ']', assuming ','.");
  EXPECT_EQ(Value("[1, 2.0]"), "fail 0x80000008");
  Reported("ArrayValue: cannot add type \"F32\" to array of type \"I32\".");
  EXPECT_EQ(Value("F32[1.0, 2.0]"), "Array:F32x2");
  EXPECT_EQ(Value("F32[1]"), "fail 0x80000008");
  Reported("ArrayValue: cannot add type \"I32\" to array of type \"F32\".");
  EXPECT_EQ(Value("[[1,2],[3]]"), "Array:ScriptObjectx2 Array_I32 Array_I32");
  EXPECT_EQ(Value("[@1.0, @2]"), "Array:ScriptObjectx2 F32 I32");
  EXPECT_EQ(Value("[1, @2]"), "fail 0x80000008");
  Reported("ArrayValue: cannot add type \"ScriptObject\" to array of type \"I32\".");
  EXPECT_EQ(Value("['a', 'b']"), "Array:Stringx2");
  EXPECT_EQ(Value("[1, 2"), "fail 0x80000008");
  Reported("ParseValueCB: unexpected token LT_0x000000FF.");
  EXPECT_EQ(Value("Nope[1]"), "fail 0x80000008");
  Reported("Value: expected ClassID but found \"Nope\".");
}

TEST_F(ValuesTest, HashLiteralsAndTheirText) {
  EXPECT_EQ(Value("{ .A 1; }"), "NameHash:{ .A 1; }");
  EXPECT_EQ(Value("{}"), "NameHash:{}");
  EXPECT_EQ(Value("{ .A 1 }"), "NameHash:{ .A 1; }");
  EXPECT_EQ(Value("{ .A 1; .A 'x'; }"), "NameHash:{ .A \"x\"; }");
  EXPECT_EQ(Value("{ .A 3U; }"), "NameHash:{ .A 3U; }");
  EXPECT_EQ(Value("{ .A 3I; }"), "NameHash:{ .A 3I; }");
  EXPECT_EQ(Value("{ .A 3u; }"), "NameHash:{ .A 3u; }");
  EXPECT_EQ(Value("{ .A 1.0F; }"), "NameHash:{ .A 1.F; }");
  EXPECT_EQ(Value("{ .A True; .A (1, 2); }"), "NameHash:{ .A (1.,2.); }");
  EXPECT_EQ(Value("{ .A { .B 'q\\n'; }; }"), "NameHash:{ .A { .B \"q\\n\"; }; }");
  EXPECT_EQ(Value("{ 1 }"), "fail 0x80000008");
  Reported("Value: Hash: unexpected token instead of \".Attr\".");
  EXPECT_EQ(Value("{ .A 1 .B 2 }").substr(0, 9), "NameHash:");
  Reported("Value: Hash: missing either ';' or '}', assuming ','.");

  // Several keys print bucket by bucket (key hash modulo 4 buckets), each bucket in insertion order,
  // which is not the order they were written in.
  EXPECT_EQ(Value("{ .E 1; .B 2.5; .A 'q'; .G 4; .C 5 }"), "NameHash:{ .A \"q\"; .G 4; .E 1; .C 5; .B 2.5; }");

  // A plain print writes plain numbers; a hash prints in literal form.
  RunText("pl 3U ' ' 1.0F; pl { .A 3U; };");
  EXPECT_EQ(Out(), "3 1.\n{ .A 3U; }\n");
}

TEST_F(ValuesTest, UnsupportedHashContentPrintsUnknown) {
  Obj<ScriptObject> sphere(NewBox<VSpheref>(Spheref{}));
  NameHash h;
  h.Set(String("S"), sphere);
  StreamPipeRef out(m_out);
  PrintHash(out, h);
  EXPECT_EQ(Out(), "{ .S <<Unknown>>; }");
  EXPECT_NE(Err().find("PrintHash: contains unsupported content."), std::string::npos);
}

TEST_F(ValuesTest, GroupsAndVectorLiterals) {
  EXPECT_EQ(Value("(1, 2)"), "Vector2f:(1.,2.)");
  EXPECT_EQ(Value("(1, 2.5, 3)"), "Vector3f:(1.,2.5,3.)");
  EXPECT_EQ(Value("(1, 2, 3, 4)"), "Vector4f:(1.,2.,3.,4.)");
  EXPECT_EQ(Value("(1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1)"),
            "Matrix4f:(1.,0.,0.,0.,0.,1.,0.,0.,0.,0.,1.,0.,5.,6.,7.,1.)");
  EXPECT_EQ(Value("(1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1, 9)"), "fail 0x80000008");
  Reported("Parenthesis: too many components for matrix.");
  EXPECT_EQ(Value("(1, 2, 3, 4, 5)"), "fail 0x80000008");
  Reported("Parenthesis: invalid number of components for vector/matrix.");
  EXPECT_EQ(Value("(7)"), "I32:7");
  EXPECT_EQ(Value("(2.5)"), "F32:2.5");
  EXPECT_EQ(Value("(True)"), "Bool:true");
  EXPECT_EQ(Value("('s')"), "String:\"s\"");
  EXPECT_EQ(Value("(1, True)"), "fail 0x80000008");
  Reported("Parenthesis: invalid component type Bool for vector/matrix.");
  EXPECT_EQ(Value("(5I)"), "fail 0x80000001");
  Reported("Eval: operator ((Parenthesis,I64) is not supported.");
  EXPECT_EQ(Value("(1 2)"), "fail 0x80000001");
  Reported("Parenthesis: undefined operator.");
  EXPECT_EQ(Value("(Nil + 1)"), "fail 0x80000001");
  Reported("Parenthesis: expression containing Object cannot be evaluated.");
  // A component may be an operator chain.
  EXPECT_EQ(Value("(1 + 1, 2)"), "Vector2f:(2.,2.)");
}

TEST_F(ValuesTest, PrefixOperators) {
  EXPECT_EQ(Value("~0"), "I32:-1");
  EXPECT_EQ(Value("~5u"), "U32:4294967290");
  EXPECT_EQ(Value("!True"), "Bool:false");
  EXPECT_EQ(Value("!!False"), "Bool:false");
  EXPECT_EQ(Value("-(1, 2)"), "Vector2f:(-1.,-2.)");
  EXPECT_EQ(Value("- 5"), "I32:-5");
  EXPECT_EQ(Value("-(2.5)"), "F32:-2.5");
  EXPECT_EQ(Value("+3u"), "U32:3");
  EXPECT_EQ(Value("-3u"), "fail 0x80000003");
  EXPECT_EQ(Value("+True"), "fail 0x80000003");
  EXPECT_EQ(Value("!1"), "fail 0x80000003");
  EXPECT_EQ(Value("~(2,0,0,0, 0,4,0,0, 0,0,8,0, 2,4,8,1)"),
            "Matrix4f:(0.5,0.,0.,0.,0.,0.25,0.,0.,0.,0.,0.125,0.,-1.,-1.,-1.,1.)");
  // A singular matrix has no inverse and passes unchanged.
  EXPECT_EQ(Value("~(0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,1)"),
            "Matrix4f:(0.,0.,0.,0.,0.,0.,0.,0.,0.,0.,0.,0.,0.,0.,0.,1.)");
  EXPECT_EQ(Out(), "");
}

TEST_F(ValuesTest, AtForms) {
  EXPECT_EQ(Value("@(7)"), "Object:I32=7");
  EXPECT_EQ(Value("@(1, 2)"), "Object:Vector2f");
  EXPECT_EQ(Value("@2"), "Object:I32=2");
  EXPECT_EQ(Value("@'s'"), "Object:String");
  EXPECT_EQ(Value("@(1, True)"), "fail 0x80000008");
  Reported("Parse@(expr): error in expression.");
  EXPECT_EQ(Value("@TNode"), "fail 0x80000008");
  Reported("Value: pure TypeID is not yet supported.");
  EXPECT_EQ(Value("@Nope.X"), "fail 0x80000008");
  Reported("Value: expected ClassID but found \"Nope\".");
  EXPECT_EQ(Value("@;"), "fail 0x80000008");
  Reported("Value: expected identifier after '@'.");
  RunText("enum E . { .P 1; };");
  uint32_t p = FindMemberID(Ns()->FindClassIdByName("E"), "P");
  std::ostringstream hex;
  hex << std::hex << std::uppercase << p;
  EXPECT_EQ(Value("@E.P"), "MemberID:" + hex.str());
  EXPECT_EQ(Value("E.P"), "Enum:" + hex.str());
}

TEST_F(ValuesTest, CallsAndDefined) {
  EXPECT_EQ(Value("defined(Nope)"), "Bool:false");
  EXPECT_EQ(Value("defined(I32)"), "Bool:true");
  RunText("class K . { .X 1; };");
  EXPECT_EQ(Value("defined(K)"), "Bool:true");
  EXPECT_EQ(Value("defined(:k)"), "Bool:false");
  RunText("K:k;");
  EXPECT_EQ(Value("defined(:k)"), "Bool:true");
  EXPECT_EQ(Value("defined(3)"), "fail 0x80000008");
  Reported("ParseValueCB: syntax error for defined().");
  EXPECT_EQ(Value("nope(1)"), "fail 0x80000008");
  Reported("ParseValueCB: unknown Function \"nope\".");
  EXPECT_EQ(Value("Nope(1)"), "fail 0x80000008");
  Reported("ParseValueCB: unknown Function \"Nope\".");
  EXPECT_EQ(Value("Sqrt(16.0)"), "F32:4.");
  EXPECT_EQ(Value(""), "fail 0x80000008");
  Reported("ParseValueCB: unexpected token LT_0x000000FF.");
}

TEST_F(ValuesTest, FailingScriptsKeepEveryCount) {
  RunText("class A . { .X 1; }; A:a;");
  Out();
  Err();
  for (const char* text : {"pl [1, 2.0];", "pl [1, @2];", "pl { 1 };", "pl (1, True);", "pl @(1, True);", "pl -3u;",
                           "pl (1,2,3,4,5);", "pl nope(1);", "pl defined(3);", "pl [[1], 2.0];", "pl { .A [1, 'x'] };",
                           "pl Sqrt([1, 2.0]);", "pl A:a.Nope?;", "pl :nothing;", "pl Nope:x;", "pl [1, 2"})
    ExpectBalancedFailure(text);
}

}  // namespace
}  // namespace PM::Test
