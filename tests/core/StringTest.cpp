// String and NameHash behaviour that the script language and its printed output rely on.
#include "core/NameHash.h"
#include "core/String.h"

#include <cstring>
#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace PM {
namespace {

using StringTest = Test::BlockCheckedTest;
using NameHashTest = Test::BlockCheckedTest;

TEST_F(StringTest, CompareIsUnsignedAndPrefixIsSmaller) {
  EXPECT_EQ(String::Compare("ab", "abc"), -1);
  EXPECT_EQ(String::Compare("abc", "ab"), 1);
  EXPECT_EQ(String::Compare("\x80", "a"), 1);
  EXPECT_EQ(String::Compare("", ""), 0);
  EXPECT_TRUE(String::Equals("abc", "abc"));
  EXPECT_FALSE(String::Equals("abc", "abd"));
  EXPECT_TRUE(String("x").NotEqualsCStr("X"));
}

TEST_F(StringTest, EmptyTextGivesTheSharedEmptyString) {
  String a(""), b(nullptr), c;
  EXPECT_EQ(a.CStr(), c.CStr());
  EXPECT_EQ(b.CStr(), c.CStr());
  EXPECT_EQ(c.Length(), 0);
}

TEST_F(StringTest, ConcatSharesTheNonEmptySide) {
  String a("abc"), e;
  EXPECT_EQ(String::FromConcat(a, e).CStr(), a.CStr());
  EXPECT_EQ(String::FromConcat(e, a).CStr(), a.CStr());
  String ab = String::FromConcat(a, "de");
  EXPECT_STREQ(ab.CStr(), "abcde");
  EXPECT_EQ(ab.Length(), 5);
  String c = String::FromConcatCStr(a, "");
  EXPECT_NE(c.CStr(), a.CStr());  // always a new block
  EXPECT_STREQ(String::FromCStrConcat("x", a).CStr(), "xabc");
}

TEST_F(StringTest, HashIsPinnedComputedOnceAndCached) {
  // Pinned: the hash decides NameHash bucket order and so the printed order of hashes. The lengths reach
  // every path: empty, 1-3, 4-7, 8-16 bytes in the last piece, and one or two whole 16-byte pieces before it.
  const struct {
    const char* text;
    uint32_t hash;
  } kPinned[] = {
      {"", 0x82F0E4A7u},
      {"a", 0xB076515Bu},
      {"abc", 0x84B51EA1u},
      {"Value", 0x63BB8A54u},
      {"Scene/a", 0x4D2B5AFCu},
      {"Scene/ab", 0x789E1549u},
      {"Scene/Characters", 0xA2C4864Cu},
      {"Scene/Characters/", 0x18B22294u},
      {"Scene/Characters/Hero/Geometry/Ma", 0xFF3C1081u},
  };
  for (const auto& p : kPinned) {
    EXPECT_EQ(HashBytes(p.text, std::strlen(p.text)), p.hash) << p.text;
    EXPECT_EQ(String(p.text).GetHash(), p.hash) << p.text;
  }
  String s("hello");
  uint32_t h = s.GetHash();
  EXPECT_EQ(HeaderOf(s.CStr())->weak.load() & 0xFFFFFFFFu, h);
  EXPECT_EQ(s.GetHash(), h);
  s.AppendChar('!');  // a change forgets the cached hash
  EXPECT_EQ(s.GetHash(), String("hello!").GetHash());
}

TEST_F(StringTest, FindAndEditing) {
  String s("a/b/c");
  EXPECT_EQ(s.FindChar('/'), 1);
  EXPECT_EQ(s.FindLastChar('/'), 3);
  EXPECT_EQ(s.FindChar('x'), -1);
  EXPECT_EQ(String().FindLastChar('a'), -1);
  EXPECT_EQ(s.FindString("b/c"), 2);
  EXPECT_EQ(s.FindString("zz"), -1);

  String sub;
  sub.AssignSub(s, -3, 2);
  EXPECT_STREQ(sub.CStr(), "a/");
  sub.AssignSub(s, 2, 100);
  EXPECT_STREQ(sub.CStr(), "b/c");
  sub.AssignSub(s, 9, -1);
  EXPECT_TRUE(sub.IsEmpty());

  String shared = s;  // editing copies first
  shared.InsertChar(0, '>');
  shared.RemoveChar(2);
  EXPECT_STREQ(shared.CStr(), ">ab/c");
  EXPECT_STREQ(s.CStr(), "a/b/c");
  shared.RemoveChar(99);
  EXPECT_EQ(shared.Length(), 5);
  char* buf = shared.AllocBuffer(3);
  buf[0] = 'x';
  EXPECT_EQ(shared.Length(), 3);
  EXPECT_EQ(shared[0], 'x');
}

TEST_F(NameHashTest, StartsWithFourBucketsDoublesUpTo4096) {
  NameHash h;
  EXPECT_EQ(h.BucketCount(), 0);
  h.Set("a", nullptr);
  EXPECT_EQ(h.BucketCount(), 4);
  for (int i = 0; i < 40000; ++i) h.Set(String(std::to_string(i)), nullptr);
  EXPECT_EQ(h.BucketCount(), 4096);
  EXPECT_EQ(h.Count(), 40001);
  EXPECT_NE(h.FindEntry("39999"), nullptr);
  EXPECT_EQ(h.FindEntry("40000"), nullptr);
}

TEST_F(NameHashTest, IterationOrderFollowsReinsertionOnEveryDoubling) {
  // A model of the rule: append to bucket hash % n; a bucket reaching 4 entries (below 4096 buckets)
  // re-inserts every entry, bucket by bucket and entry by entry, into twice the buckets.
  std::vector<std::vector<std::string>> model(4);
  NameHash h;
  for (int i = 0; i < 6000; ++i) {
    std::string key = "k";
    key += std::to_string(i * 7919 % 6007);
    h.Set(String(key.c_str()), nullptr);
    auto& bucket = model[String(key.c_str()).GetHash() % model.size()];
    bucket.push_back(key);
    if (bucket.size() >= 4 && model.size() < 4096) {
      std::vector<std::vector<std::string>> grown(model.size() * 2);
      for (const auto& b : model)
        for (const std::string& k : b) grown[String(k.c_str()).GetHash() % grown.size()].push_back(k);
      model.swap(grown);
    }
  }
  std::vector<std::string> want, got;
  for (const auto& b : model) want.insert(want.end(), b.begin(), b.end());
  h.ForEach([&](const NameHashEntry& e) { got.emplace_back(e.name.CStr()); });
  EXPECT_EQ(h.BucketCount(), int(model.size()));
  EXPECT_TRUE(got == want);
}

TEST_F(NameHashTest, EqualKeyReplacesAndCopiesAreUniqueOnWrite) {
  NameHash a;
  a.Set("k", static_cast<ScriptObject*>(NilObject()));
  NameHash b = a;
  EXPECT_TRUE(b.SharesWith(a));
  b.Set("k2", nullptr);
  EXPECT_FALSE(b.SharesWith(a));
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(b.Count(), 2);
  b.Set("k", nullptr);
  EXPECT_EQ(b.Count(), 2);
  EXPECT_TRUE(b.Remove("k"));
  EXPECT_FALSE(b.Remove("k"));
  EXPECT_EQ(b.Count(), 1);
}

TEST_F(NameHashTest, AssignMergedLetsBWin) {
  Array<String> owner;  // values are boxed objects later; here the id field tells them apart
  NameHash a, b, m;
  a.Set("x", nullptr);
  a.Set("y", nullptr);
  b.Set("y", static_cast<ScriptObject*>(NilObject()));
  b.Set("z", nullptr);
  m.AssignMerged(a, b);
  EXPECT_EQ(m.Count(), 3);
  EXPECT_TRUE(m.FindEntry("y")->value.IsNil());
  EXPECT_EQ(a.Count(), 2);  // a is untouched
  NameHash e;
  m.AssignMerged(e, b);
  EXPECT_TRUE(m.SharesWith(b));
  m.AssignMerged(a, e);
  EXPECT_TRUE(m.SharesWith(a));
}

}  // namespace
}  // namespace PM
