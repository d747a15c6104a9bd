// The longest string a script makes: joining past it fails the statement with a report naming the limit,
// before anything is allocated, and the run goes on with the value it had.
#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "script/lang/OperatorEval.h"

namespace PM::Test {
namespace {

class StringLimitTest : public ParserFixture {
 protected:
  void TearDown() override {
    OperatorEval::SetStringLimitForTest(0);
    ParserFixture::TearDown();
  }
};

// The doubling loop that overran the heap once its length passed 2^31: at a lowered limit, the first
// doubling past it and every later one are refused, and the string keeps the last length that fit.
TEST_F(StringLimitTest, DoublingPastTheLimitFailsEachStatementCleanly) {
  EXPECT_EQ(OperatorEval::ScriptStringLimit(), int64_t(1) << 30);  // the documented limit
  OperatorEval::SetStringLimitForTest(4096);
  std::string text = "var :s 'abcdefgh';\n";
  for (int i = 0; i < 28; ++i) text += ":s = :s + :s;\n";
  text += "pl (:s + '') == (:s + '');\nvar :t :s + 'x';\npl 'next';";
  RunText(text);
  const std::string out = Out();
  const std::string report = "Eval: a string of 8192 bytes passes the limit of 4096 bytes for a value.\n";
  size_t reports = 0;
  for (size_t at = out.find(report); at != std::string::npos; at = out.find(report, at + 1)) ++reports;
  EXPECT_EQ(reports, 19u) << out.substr(0, 600);                                    // doublings 10 to 28
  EXPECT_NE(out.find("File: t.bs(11) "), std::string::npos) << out.substr(0, 300);  // the first one refused
  EXPECT_EQ(out.find("File: t.bs(10) "), std::string::npos);
  EXPECT_NE(out.find("true\n"), std::string::npos);  // 4096 characters join with nothing
  EXPECT_NE(out.find("Eval: a string of 4097 bytes passes the limit of 4096 bytes for a value."), std::string::npos);
  EXPECT_NE(out.find("next\n"), std::string::npos);
}

TEST_F(StringLimitTest, UpToTheLimitJoins) {
  OperatorEval::SetStringLimitForTest(16);
  RunText("var :a 'abcdefgh';\npl :a + :a;\npl :a + :a + 'x';\npl 'next';");
  const std::string out = Out();
  EXPECT_EQ(out.find("abcdefghabcdefgh\n"), 0u) << out;
  EXPECT_NE(out.find("Eval: a string of 17 bytes passes the limit of 16 bytes for a value."), std::string::npos) << out;
  EXPECT_NE(out.find("next\n"), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
