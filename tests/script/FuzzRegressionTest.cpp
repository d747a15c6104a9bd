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

}  // namespace
}  // namespace PM::Test
