// Shared by the operator tests: a started object model with the parser's messages captured, and a
// visitor that records the one value an expression delivers.
#pragma once

#include <cstring>
#include <string>

#include "ObjectModelFixture.h"
#include "script/lang/OperatorContinuation.h"
#include "script/lang/Parser.h"

namespace PM::Test {

// What an expression gave: the result code, whether it was read to its end, the type name of the
// delivered value ("" when none) and, by type, the value.
struct Evaluated {
  uint32_t code = 0;
  bool toEnd = false;
  int32_t next = 0;  // the token kind after the expression
  std::string type;
  double number = 0;
  Vector3f vec{};
  String str;
  NameHash hash;
};

struct Captured : TypedVisitor<Captured> {
  Captured(Lexer* lexer, Evaluated& e) : TypedVisitor(lexer), out(e) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    out.type = T::kName;
    if constexpr (std::is_arithmetic_v<typename T::Value>)
      out.number = double(v);
    else if constexpr (std::is_same_v<T, VVector3f>)
      out.vec = v;
    else if constexpr (std::is_same_v<T, VString>)
      out.str = v;
    else if constexpr (std::is_same_v<T, VNameHash>)
      out.hash = v;
    return 0;
  }
  uint32_t FoundObject(ScriptObject*) override {
    out.type = "Object";
    return 0;
  }
  uint32_t FoundArray(void*, uint32_t) override {
    out.type = "Array";
    return 0;
  }
  Evaluated& out;
};

class OperatorTest : public ObjectModelTest {
 protected:
  void SetUp() override {
    ObjectModelTest::SetUp();
    m_savedOut = LogOutPipe();
    m_out = NewCounted<TextPipe>();
    LogOutPipe() = StreamPipeRef(m_out);
  }
  void TearDown() override {
    LogOutPipe() = m_savedOut;
    m_savedOut = StreamPipeRef();
    ObjectModelTest::TearDown();
  }
  // The parser's messages since the last call, without their location prefixes.
  std::string TakeMessages() {
    std::string all = m_out->Take();
    std::string msgs;
    for (size_t at = 0; (at = all.find(":\n    ", at)) != std::string::npos;) {
      at += 6;
      size_t end = all.find('\n', at);
      msgs += all.substr(at, end - at) + "\n";
    }
    return msgs;
  }
  // Evaluates `text` as the value of a statement.
  static Evaluated Eval(const char* text) {
    Evaluated e;
    Lexer lexer(text, std::strlen(text), Lexer::kParserMode);
    Parser parser(&lexer, nullptr, nullptr, String("t"), 0);
    Captured into(&lexer, e);
    Visitor::OperatorContinuation chain(&lexer, into);
    e.code = lexer.ParseValue(chain);
    e.next = lexer.Kind();
    e.toEnd = e.next == kTokEnd;
    return e;
  }
  // The boxed value of an expression through the language's entry point.
  template <class T>
  typename T::Value Expression(const char* text) {
    Obj<ScriptObject> r = Parser::ParseExpression(nullptr, String(text));
    EXPECT_FALSE(r.IsNil()) << text;
    if (r.IsNil()) return {};
    EXPECT_EQ(r->GetClassID(), T::kClassId) << text;
    if (r->GetClassID() != T::kClassId) return {};
    return static_cast<ValueBox<T>*>(r.Get())->value;
  }

  TextPipe* m_out = nullptr;
  StreamPipeRef m_savedOut;
};

}  // namespace PM::Test
