// String and NameHash behaviour that the script language and its printed output rely on.
#include "core/NameHash.h"
#include "core/String.h"
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
  // Pinned: the hash decides NameHash bucket order and so the printed order of hashes.
  EXPECT_EQ(HashBytes("", 0), 0xAB3E7C0Bu);
  EXPECT_EQ(String("a").GetHash(), 0x1A80B1B3u);
  EXPECT_EQ(String("Value").GetHash(), 0x5AA388D2u);
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
