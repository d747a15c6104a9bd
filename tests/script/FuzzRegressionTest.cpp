// Inputs found by the script fuzz targets, each run as text and compiled in an engine of its own. As
// in the targets, the engine must take everything a script made with it when it goes.
#include "ParserFixture.h"

namespace PM::Test {
namespace {

class FuzzRegressionTest : public ParserFixture {
 protected:
  void ExpectNothingOutlivesTheEngine(const std::string& text) {
    for (bool compiled : {false, true}) {
      const int64_t before = LiveBlockCount();
      {
        Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
        if (compiled) {
          std::string bytes = Compile(text);
          Parser::ParseMemory(engine, bytes.data(), bytes.size(), String("f.bsb"), 0);
        } else {
          Parser::ParseText(engine, String(text), String("f.bs"), kParseCountLines);
        }
      }
      EXPECT_EQ(LiveBlockCount(), before) << (compiled ? "compiled: " : "text: ") << text;
    }
  }
};

// A Child set leaves the node's entry in its previous parent; that parent could then be placed below
// the node, and the two nodes held each other for good.
TEST_F(FuzzRegressionTest, AChildEntryLeftInAPreviousParentClosesNoCycle) {
  ExpectNothingOutlivesTheEngine("TTransform:root.Parent TTransform:arm;TTransform:h.Child<<:root;:arm.Parent:root");
  EXPECT_NE(Err().find("\"arm\" cannot be placed below itself or its descendant \"root\"."), std::string::npos);
  Out();
}

// A named object replaced by one of another class left the namespace while it still referred to
// itself, and nothing walked it again; the same for a handle and a global variable rebound.
TEST_F(FuzzRegressionTest, AnObjectReplacedWhileInACycleGoesWithTheEngine) {
  const char* scripts[] = {
      "class N . { .Next Nil; }; N:a.Next N:a; class A . { }; A:a;",
      "class N . { .Next Nil; }; N:a.Next N:b; N:b.Next N:a; class A . { }; A:a; A:b;",
  };
  for (const char* s : scripts) ExpectNothingOutlivesTheEngine(s);
  const std::string said = Out() + Err();
  EXPECT_NE(said.find("changed type \"N\" to \"A\"."), std::string::npos) << said;
}

}  // namespace
}  // namespace PM::Test
