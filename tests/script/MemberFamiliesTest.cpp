// Every value type's Get, Set, Size, Remove, Compare, CopyTo and Write, single, indexed and array.
#include <vector>

#include "ObjectModelFixture.h"

namespace PM::Test {
namespace {

template <class Tag>
struct Holder : ScriptObject {
  using V = typename Tag::Value;
  using E = typename Tag::Element;
  using Single = std::conditional_t<std::is_same_v<Tag, VObject>, Obj<ScriptObject>, V>;
  static inline uint32_t classId = 0;
  static const TypeRecord& Type() {
    static TypeRecord t("Holder", sizeof(Holder), DestroyScriptObject<Holder>);
    return t;
  }
  static ScriptObject* New() { return NewScriptObject<Holder>(Type(), classId); }
  static uint32_t Member(uint32_t index) { return MakeMemberId(index, classId); }
  static void Define(uint32_t index) {
    classId = ClassIdOfIndex(index);
    CreateClass(classId, kClassScriptObject, "", "Holder", &Type(), &New, nullptr, kClassKindObject);
    const MemberDef members[] = {
        FieldMember<&Holder::single, Tag>(Member(1), "Single"),
        IndexedFieldMember<&Holder::list, Tag>(Member(2), "List"),
        ArrayFieldMember<&Holder::whole, Tag>(Member(3), "Whole"),
    };
    DefineMembers(members);
  }
  Single single{};
  Array<E> list;
  Array<E> whole;
};

std::vector<Obj<ScriptObject>>& Pool() {
  static std::vector<Obj<ScriptObject>> pool;
  return pool;
}

template <class Tag>
typename Tag::Value Sample(int k) {
  float f = float(k) + 0.5f;
  if constexpr (std::is_same_v<Tag, VBool>)
    return k % 2 == 1;
  else if constexpr (std::is_same_v<Tag, VEnum>)
    return MakeMemberId(uint32_t(k % 6 + 1), kClassEulerRotationOrder);
  else if constexpr (std::is_same_v<Tag, VMemberID>)
    return MakeMemberId(uint32_t(k + 1), A::kClassId);
  else if constexpr (std::is_arithmetic_v<typename Tag::Value>)
    return typename Tag::Value(k * 3 + 1);
  else if constexpr (std::is_same_v<Tag, VVector2f>)
    return Vector2f{f, -f};
  else if constexpr (std::is_same_v<Tag, VVector3f>)
    return Vector3f{f, 2 * f, -f};
  else if constexpr (std::is_same_v<Tag, VVector4f>)
    return Vector4f{f, 1, 2, 3};
  else if constexpr (std::is_same_v<Tag, VSpheref>)
    return Spheref{{f, f, f}, f};
  else if constexpr (std::is_same_v<Tag, VMatrix4f>) {
    Matrix4f m{};
    for (int i = 0; i < 16; ++i) m.m[i] = f + float(i);
    return m;
  } else if constexpr (std::is_same_v<Tag, VString>)
    return String(std::to_string(k).c_str());
  else if constexpr (std::is_same_v<Tag, VNameHash>) {
    NameHash h;
    h.Set(String("k"), NewBox<VI32>(k));
    return h;
  } else {
    Pool().emplace_back(NewBox<VI32>(k));
    return Pool().back().Get();
  }
}

template <class Tag>
class MemberFamilyTest : public ObjectModelTest {
 protected:
  void SetUp() override {
    ObjectModelTest::SetUp();
    Holder<Tag>::Define(0x1C0);
    BuildClassMemberNames(Holder<Tag>::classId);
  }
  void TearDown() override {
    Pool().clear();
    ObjectModelTest::TearDown();
  }
};

using Tags = ::testing::Types<VBool, VI32, VI64, VU32, VU64, VF32, VF64, VEnum, VMemberID, VVector2f, VVector3f,
                              VVector4f, VMatrix4f, VSpheref, VString, VNameHash, VObject>;
TYPED_TEST_SUITE(MemberFamilyTest, Tags);

std::string Written(ScriptObject* o, uint32_t member) {
  TextPipe* p = NewCounted<TextPipe>();
  StreamPipeRef ref(p);
  MemberWrite(o, member, ref);
  return p->text;
}

TYPED_TEST(MemberFamilyTest, RoundTripsSingleIndexedAndArray) {
  using T = TypeParam;
  using H = Holder<T>;
  using E = typename T::Element;
  Obj<ScriptObject> h1(H::New()), h2(H::New());
  const uint32_t single = H::Member(1), indexed = H::Member(2), whole = H::Member(3);
  auto v1 = Sample<T>(1), v2 = Sample<T>(2), v3 = Sample<T>(3);

  // Single.
  MemberSet<T>(h1, single, v1);
  EXPECT_EQ(ValueOrder(MemberGet<T>(h1, single), v1), 0);
  EXPECT_NE(MemberCompare(h1, h2, single), 0);
  MemberCopyTo(h1, h2, single);
  EXPECT_EQ(MemberCompare(h1, h2, single), 0);
  EXPECT_FALSE(Written(h1, single).empty());

  // Indexed: Set past the end appends, Remove takes (start, count) with -1 to the end.
  MemberSetAt<T>(h1, indexed, 0, v1);
  MemberSetAt<T>(h1, indexed, 1, v2);
  MemberSetAt<T>(h1, indexed, 2, v3);
  EXPECT_EQ(MemberSize(h1, indexed), 3);
  EXPECT_EQ(ValueOrder(MemberGetAt<T>(h1, indexed, 1), v2), 0);
  MemberCopyTo(h1, h2, indexed);
  EXPECT_EQ(MemberSize(h2, indexed), 3);
  EXPECT_EQ(MemberCompare(h1, h2, indexed), 0);
  MemberRemove(h1, indexed, 1, 1);
  EXPECT_EQ(MemberSize(h1, indexed), 2);
  EXPECT_EQ(ValueOrder(MemberGetAt<T>(h1, indexed, 1), v3), 0);
  EXPECT_NE(MemberCompare(h1, h2, indexed), 0);
  MemberCopyTo(h1, h2, indexed);  // the longer destination is cut to the source's count
  EXPECT_EQ(MemberSize(h2, indexed), 2);
  MemberRemove(h2, indexed, 1, -1);
  EXPECT_EQ(MemberSize(h2, indexed), 1);
  std::string text = Written(h1, indexed);
  EXPECT_EQ(text.front(), '[');
  EXPECT_EQ(text.back(), ']');
  EXPECT_EQ(this->TakeLog(), "");

  // Bad indexes are reported and change nothing.
  MemberSetAt<T>(h1, indexed, -1, v1);
  EXPECT_EQ(MemberSize(h1, indexed), 2);
  (void)MemberGetAt<T>(h1, indexed, 7);
  EXPECT_EQ(this->LogLines(this->TakeLog()), 2);

  // Array: copied whole.
  Array<E> a;
  a.Append(E(v1));
  a.Append(E(v2));
  MemberSetArray<T>(h1, whole, a);
  a.Remove(0, -1);  // the member holds its own copy
  EXPECT_EQ(MemberGetArray<T>(h1, whole).Count(), 2);
  EXPECT_EQ(MemberSize(h1, whole), 2);
  MemberCopyTo(h1, h2, whole);
  EXPECT_EQ(MemberCompare(h1, h2, whole), 0);
  MemberRemove(h1, whole, 0, 1);
  EXPECT_EQ(MemberSize(h1, whole), 1);
  EXPECT_EQ(ValueOrder(MemberGetArray<T>(h1, whole)[0], E(v2)), 0);
  EXPECT_EQ(Written(h2, whole).front(), '[');
  EXPECT_EQ(this->TakeLog(), "");

  // A call with the wrong value type or shape reaches a stub with one log line.
  if constexpr (std::is_same_v<T, VI32>)
    (void)MemberGet<VF32>(h1, single);
  else
    (void)MemberGet<VI32>(h1, single);
  (void)MemberGet<T>(h1, indexed);
  EXPECT_EQ(this->LogLines(this->TakeLog()), 2);
}

TEST_F(ObjectModelTest, WriteUsesLiteralForms) {
  Holder<VI32>::Define(0x1C1);
  Holder<VString>::Define(0x1C2);
  Holder<VEnum>::Define(0x1C3);
  Holder<VBool>::Define(0x1C4);
  Holder<VMemberID>::Define(0x1C5);
  Obj<ScriptObject> i(Holder<VI32>::New()), s(Holder<VString>::New()), e(Holder<VEnum>::New()), b(Holder<VBool>::New()),
      m(Holder<VMemberID>::New());
  MemberSetAt<VI32>(i, Holder<VI32>::Member(2), 0, -4);
  MemberSetAt<VI32>(i, Holder<VI32>::Member(2), 1, 7);
  EXPECT_EQ(Written(i, Holder<VI32>::Member(2)), "[-4,7]");
  MemberSet<VString>(s, Holder<VString>::Member(1), String("a\"b\n"));
  EXPECT_EQ(Written(s, Holder<VString>::Member(1)), "\"a\\\"b\\n\"");
  MemberSet<VEnum>(e, Holder<VEnum>::Member(1), 0x02FFF038u);
  EXPECT_EQ(Written(e, Holder<VEnum>::Member(1)), "Euler.RotationOrderEnum.YZX");
  MemberSet<VBool>(b, Holder<VBool>::Member(1), true);
  EXPECT_EQ(Written(b, Holder<VBool>::Member(1)), "true");
  MemberSet<VMemberID>(m, Holder<VMemberID>::Member(1), kACount);
  EXPECT_EQ(Written(m, Holder<VMemberID>::Member(1)), "0x01FFF100");
  Obj<ScriptObject> box(NewBox<VI32>(12));
  EXPECT_EQ(Written(box, BoxValueMember(kClassI32)), "12");
}

}  // namespace
}  // namespace PM::Test
