// The named objects a run made only by mentioning them in another object's member: a statement of the
// object's own (an attribute block, a member set or read, the object alone) addresses it; a member's
// value, an argument or a printed value only mentions it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParserFixture.h"
#include "script/lang/ObjectMentions.h"

namespace PM::Test {
namespace {

class ObjectMentionsTest : public ParserFixture {
 protected:
  // The unaddressed objects as "Class:name file line".
  std::vector<std::string> Unaddressed() const {
    std::vector<std::string> out;
    for (const ObjectMentions::Mention& m : m_mentions.Unaddressed())
      out.push_back(std::string(m.className.CStr()) + ":" + m.name.CStr() + " " + m.file.CStr() + " " +
                    std::to_string(m.line));
    return out;
  }
  ObjectMentions m_mentions;
};

constexpr const char* kScene =
    "TTransform:root . { };\n"
    "TTransform:eye . { .Parent TTransform:root; };\n"
    "TCamera:camera . { .Parent TTransform:eyeTT; };\n"  // misspelled: made by the mention
    "TTransform:before . { .Parent TTransform:after; };\n"
    "TTransform:after.Parent TTransform:root;\n"  // addressed after its first mention
    "TTransform:alone;\n"                         // a statement of its own
    "TTransform:read . { .Parent TTransform:readLater; };\n"
    "pl TTransform:readLater.WorldMatrix?;\n"  // reading a member addresses it too
    "TTransform:first . { .Parent TTransform:twice; };\n"
    "TCamera:second . { .Parent TTransform:twice; };\n"  // the first mention's line stays
    "pl TTransform:printed;\n";                          // printing only mentions

TEST_F(ObjectMentionsTest, OnlyObjectsNoStatementAddressesAreNamedWithTheirFirstMention) {
  ObjectMentions::Install(&m_mentions);
  RunText(kScene, kParseCountLines, "scene.bs");
  EXPECT_EQ(Unaddressed(), (std::vector<std::string>{"TTransform:eyeTT scene.bs 3", "TTransform:twice scene.bs 9",
                                                     "TTransform:printed scene.bs 11"}))
      << Out();
}

TEST_F(ObjectMentionsTest, CompiledScriptsKeepNoLines) {
  ObjectMentions::Install(&m_mentions);
  RunCompiled(kScene, 0, "scene.bsb");
  EXPECT_EQ(Unaddressed(), (std::vector<std::string>{"TTransform:eyeTT scene.bsb 0", "TTransform:twice scene.bsb 0",
                                                     "TTransform:printed scene.bsb 0"}));
}

TEST_F(ObjectMentionsTest, ALaterRunMayAddressTheObjectAndGoneObjectsAreNotNamed) {
  ObjectMentions::Install(&m_mentions);
  RunText("TCamera:camera . { .Parent TTransform:eyeTT; };\nTTransform:lost . { .Parent TTransform:gone; };\n", 1,
          "a.bs");
  EXPECT_EQ(Unaddressed().size(), 2u);
  RunText("TTransform:eyeTT . { };\ndel :gone;\ndel :lost;\n", 1, "b.bs");
  EXPECT_EQ(Unaddressed(), std::vector<std::string>{}) << Out();
}

TEST_F(ObjectMentionsTest, NothingIsRecordedWithoutAnInstalledTable) {
  RunText("TCamera:camera . { .Parent TTransform:eyeTT; };\n");
  EXPECT_EQ(Unaddressed(), std::vector<std::string>{});
  {
    ObjectMentions other;
    ObjectMentions::Install(&other);
  }  // uninstalls itself
  RunText("TCamera:camera2 . { .Parent TTransform:eyeTT2; };\n");
  EXPECT_EQ(Unaddressed(), std::vector<std::string>{});
}

}  // namespace
}  // namespace PM::Test
