#include <memory>
#include <vector>

#include "ParserFixture.h"
#include "core/ResultCode.h"
#include "script/lang/MemberVisitors.h"
#include "script/lang/StatementVisitors.h"
#include "script/object/ClassDatabase.h"
#include "script/object/MemberDef.h"
#include "script/object/ValueBox.h"

namespace PM::Test {

using ArrayValueTest = ParserFixture;

TEST_F(ArrayValueTest, DefVarBoxesArraysOfBoxableElements) {
  {
    Lexer lexer("", 0, Lexer::kParserMode);
    Parser parser(&lexer, m_engine.Get(), nullptr, String("t"), 0);
    Array<int32_t> values{4, 5, 6};
    Visitor::DefVar def(&lexer, Ns(), String("a"));
    EXPECT_EQ(def.FoundArray(values.Data(), kClassI32), 0u);
    ScriptObject* v = Ns()->GetVar("a");
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->GetClassID(), kClassArrayI32);
    const Array<int32_t>& held = static_cast<ArrayBox<VI32>*>(v)->value;
    ASSERT_EQ(held.Count(), 3);
    EXPECT_EQ(held[2], 6);
    values[2] = 7;  // the variable holds its own copy
    EXPECT_EQ(held[2], 6);

    Array<Spheref> spheres{Spheref{}};
    Visitor::DefVar none(&lexer, Ns(), String("s"));
    EXPECT_EQ(none.FoundArray(spheres.Data(), kClassSpheref), 0x80000001u);
    EXPECT_EQ(Ns()->GetVar("s"), nullptr);
    Ns()->SetVar(nullptr, String("a"));
  }
  std::string out = Out();
  EXPECT_NE(out.find("DefVar::FoundArray not yet supported for type 0x"), std::string::npos) << out;
}

TEST_F(ArrayValueTest, AppendingAnArrayIsRefused) {
  Lexer lexer("", 0, Lexer::kParserMode);
  Parser parser(&lexer, m_engine.Get(), nullptr, String("t"), 0);
  Array<int32_t> values{1, 2};
  Visitor::MemberAppend append(&lexer, m_engine.Get(), 0x01FFF040, kClassI32, kMemberIndexed);
  EXPECT_EQ(append.FoundArray(values.Data(), kClassI32), 0x80000003u);
  EXPECT_NE(Out().find("MemberAppend: Array: type Array_I32 not implemented."), std::string::npos);
}

template <class T>
std::vector<T> Items(const Array<T>& a) {
  return std::vector<T>(a.begin(), a.end());
}

// A class with members of every shape the array visitors write: indexed and array I32 and F32, plain F32,
// indexed and array object references.
struct Holder : ScriptObject {
  Array<int32_t> ints;
  Array<int32_t> intArray;
  Array<float> floats;
  Array<float> floatArray;
  float weight = 0;
  Array<Obj<ScriptObject>> objects;
  Array<Obj<ScriptObject>> objectArray;
};

const TypeRecord& HolderType() {
  static TypeRecord t("Holder", sizeof(Holder), DestroyScriptObject<Holder>);
  return t;
}

class MemberArrayTest : public ParserFixture {
 protected:
  void SetUp() override {
    ParserFixture::SetUp();
    m_class = AllocateClassID();
    ASSERT_NE(m_class, 0u);
    CreateClass(m_class, kClassScriptObject, "", "Holder", &HolderType(), nullptr, nullptr, kClassKindObject);
    const MemberDef members[] = {
        IndexedFieldMember<&Holder::ints>(Id(1), "Ints"),
        ArrayFieldMember<&Holder::intArray>(Id(2), "IntArray"),
        IndexedFieldMember<&Holder::floats>(Id(3), "Floats"),
        ArrayFieldMember<&Holder::floatArray>(Id(4), "FloatArray"),
        FieldMember<&Holder::weight>(Id(5), "Weight"),
        FieldMember<&Holder::objects>(Id(6), "Objects"),
        ArrayFieldMember<&Holder::objectArray>(Id(7), "ObjectArray"),
    };
    DefineMembers(members);
    BuildClassMemberNames(m_class);
    m_holder = Obj<Holder>(NewScriptObject<Holder>(HolderType(), m_class));
    m_lexer = std::make_unique<Lexer>("", 0, Lexer::kParserMode);
    m_parser = std::make_unique<Parser>(m_lexer.get(), m_engine.Get(), nullptr, String("t"), 0);
  }
  void TearDown() override {
    m_parser.reset();
    m_lexer.reset();
    m_holder.Clear();
    m_engine.Clear();  // and the objects its namespace holds, before their class goes
    ReleaseClassID(m_class);
    ParserFixture::TearDown();
  }
  uint32_t Id(uint32_t index) const { return index << 24 | (m_class & 0x00FFFFFF); }
  const MemberRecord& Record(uint32_t index) const { return *m_holder->FindRecord(Id(index)); }

  // Offers the array to the visitor V of member `index` as a script statement would.
  template <class V, class E>
  uint32_t Offer(uint32_t index, Array<E>& array, uint32_t elementClassId) {
    const MemberRecord& r = Record(index);
    V visitor(m_lexer.get(), m_holder.Get(), Id(index), r.valueType, r.flags);
    return visitor.FoundArray(array.Data(), elementClassId);
  }

  uint32_t m_class = 0;
  Obj<Holder> m_holder;
  std::unique_ptr<Lexer> m_lexer;
  std::unique_ptr<Parser> m_parser;
};

TEST_F(MemberArrayTest, SettingAnIndexedMemberLeavesExactlyTheNewElements) {
  m_holder->ints = Array<int32_t>{1, 2, 3, 4, 5};
  Array<int32_t> three{7, 8, 9};
  EXPECT_EQ(Offer<Visitor::MemberSet>(1, three, kClassI32), 0u);
  EXPECT_EQ(Items(m_holder->ints), (std::vector<int32_t>{7, 8, 9}));
  Array<int32_t> more{1, 2, 3, 4};
  EXPECT_EQ(Offer<Visitor::MemberSet>(1, more, kClassI32), 0u);
  EXPECT_EQ(Items(m_holder->ints), Items(more));

  m_holder->intArray = Array<int32_t>{1, 2, 3, 4, 5};
  EXPECT_EQ(Offer<Visitor::MemberSet>(2, three, kClassI32), 0u);
  three[0] = 0;  // the member holds its own copy
  EXPECT_EQ(Items(m_holder->intArray), (std::vector<int32_t>{7, 8, 9}));
  EXPECT_EQ(Out(), "");
}

TEST_F(MemberArrayTest, RefusedArraysLeaveTheMemberAndTheCountsAsTheyWere) {
  m_holder->ints = Array<int32_t>{1, 2};
  m_holder->intArray = Array<int32_t>{3};
  m_holder->weight = 0.5f;
  Array<float> floats{1.5f};
  Array<uint32_t> ids{Id(1)};
  Array<double> wide{1.0};
  int64_t before = LiveBlockCount();
  EXPECT_EQ(Offer<Visitor::MemberSet>(1, floats, kClassF32), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberSet>(2, floats, kClassF32), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberSet>(2, ids, kClassMemberID), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberSet>(1, ids, kClassMemberID), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberSet>(5, floats, kClassF32), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberSet>(1, wide, kClassF64), EUnimplemented);
  EXPECT_EQ(Offer<Visitor::MemberSet>(2, wide, kClassF64), EUnimplemented);
  EXPECT_EQ(Offer<Visitor::MemberAppend>(1, floats, kClassF32), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberAssignOp>(3, wide, kClassF64), EInvalidArgument);
  EXPECT_EQ(Offer<Visitor::MemberAssignOp>(5, floats, kClassF32), EInvalidArgument);
  EXPECT_EQ(LiveBlockCount(), before);
  EXPECT_EQ(Items(m_holder->ints), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(Items(m_holder->intArray), (std::vector<int32_t>{3}));
  EXPECT_EQ(m_holder->weight, 0.5f);
  char member[16];
  snprintf(member, sizeof member, "%08X", Id(5));
  std::string out = Out();
  for (const std::string& text : std::vector<std::string>{
           "MemberSet: argument type error, expected Array_I32 but found Array_F32.",
           "MemberSet: argument type error, expected Array_I32 but found Array_Attr.",
           "MemberSet: argument type error, expected Array_I32 but found Array_MemberID.",
           "MemberSet: Array: member " + std::string(member) + " does not accept an array.",
           "MemberSet: Array: type Array_F64 not implemented.",
           "MemberAppend: Array: type Array_F32 not implemented.",
           "MemberAssignOp: argument type error, expected Array_F32 but found Array<Unknown>.",
           "MemberAssignOp: lhs is not 'Array' or 'Index' type or does not support '+= []' yet.",
       })
    EXPECT_NE(out.find(text), std::string::npos) << text << "\nin\n" << out;
}

TEST_F(MemberArrayTest, AnEmptyArrayOfAnyTypeClearsTheMember) {
  m_holder->ints = Array<int32_t>{1, 2};
  m_holder->floatArray = Array<float>{3};
  Array<double> none;
  EXPECT_EQ(Offer<Visitor::MemberSet>(1, none, kClassF64), 0u);
  EXPECT_EQ(Offer<Visitor::MemberSet>(4, none, kClassF64), 0u);
  EXPECT_EQ(m_holder->ints.Count(), 0);
  EXPECT_EQ(m_holder->floatArray.Count(), 0);
}

TEST_F(MemberArrayTest, CompoundAssignmentAppends) {
  m_holder->floats = Array<float>{1};
  m_holder->floatArray = Array<float>{4};
  Array<float> more{2, 3};
  EXPECT_EQ(Offer<Visitor::MemberAssignOp>(3, more, kClassF32), 0u);
  EXPECT_EQ(Offer<Visitor::MemberAssignOp>(4, more, kClassF32), 0u);
  EXPECT_EQ(Items(m_holder->floats), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Items(m_holder->floatArray), (std::vector<float>{4, 2, 3}));
  EXPECT_EQ(Out(), "");
}

TEST_F(MemberArrayTest, ObjectArraysHoldTheSameObjectsCounted) {
  const int64_t start = LiveBlockCount();
  Array<Obj<ScriptObject>> boxes{Obj<ScriptObject>(NewBox<VI32>(1)), Obj<ScriptObject>(NewBox<VI32>(2))};
  m_holder->objects = Array<Obj<ScriptObject>>{Obj<ScriptObject>(NewBox<VI32>(0)), boxes[0], boxes[1]};
  EXPECT_EQ(Offer<Visitor::MemberSet>(6, boxes, kClassScriptObject), 0u);
  EXPECT_EQ(Offer<Visitor::MemberSet>(7, boxes, kClassScriptObject), 0u);
  EXPECT_EQ(Offer<Visitor::MemberAssignOp>(7, boxes, kClassScriptObject), 0u);
  ASSERT_EQ(m_holder->objects.Count(), 2);
  ASSERT_EQ(m_holder->objectArray.Count(), 4);
  EXPECT_EQ(m_holder->objects[1].Get(), boxes[1].Get());
  EXPECT_EQ(m_holder->objectArray[2].Get(), boxes[0].Get());
  m_holder.Clear();
  boxes = Array<Obj<ScriptObject>>();
  EXPECT_EQ(LiveBlockCount(), start - 1);  // the holder, its arrays and every box are gone
}

TEST_F(MemberArrayTest, ScriptsAssignAppendAndRefuseArrays) {
  ASSERT_TRUE(Ns()->RegisterNamedObject(m_holder.Get(), String("h")));
  m_holder->ints = Array<int32_t>{1, 2, 3, 4, 5};
  m_holder->floats = Array<float>{1};
  RunText(":h . { .Ints [7, 8, 2 * 4 + 1]; .Floats += [2.0, 1.5 * 2]; .IntArray [4, 5]; };");
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Items(m_holder->ints), (std::vector<int32_t>{7, 8, 9}));
  EXPECT_EQ(Items(m_holder->floats), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Items(m_holder->intArray), (std::vector<int32_t>{4, 5}));
  const int64_t before = LiveBlockCount();
  RunText(":h . { .Ints << [1]; };");
  RunText(":h . { .Weight [1.0]; };");
  RunText(":h . { .Ints [1.0]; };");
  EXPECT_EQ(LiveBlockCount(), before);
  std::string out = Out();
  EXPECT_NE(out.find("MemberAppend: Array: type Array_I32 not implemented."), std::string::npos) << out;
  EXPECT_NE(out.find(" does not accept an array."), std::string::npos) << out;
  EXPECT_NE(out.find("MemberSet: argument type error, expected Array_I32 but found Array_F32."), std::string::npos)
      << out;
  EXPECT_EQ(Items(m_holder->ints), (std::vector<int32_t>{7, 8, 9}));
}

}  // namespace PM::Test

namespace PM::Test {

TEST_F(ArrayValueTest, ClassMembersWithArrayDefaultsAreIndexed) {
  RunText("class P . { .L [1, 2 + 1, 3 * 2]; .S ['a', 'b']; .O [Nil]; };");
  EXPECT_EQ(Out(), "");
  uint32_t p = Ns()->FindClassIdByName("P");
  ASSERT_NE(p, 0u);
  const uint32_t l = FindMemberID(p, "L"), s = FindMemberID(p, "S"), o = FindMemberID(p, "O");
  ASSERT_TRUE(l && s && o);
  EXPECT_EQ(MemberRecordOf(l)->valueType, kClassI32);
  EXPECT_EQ(MemberRecordOf(l)->flags & kMemberShape, uint32_t(kMemberIndexed));
  EXPECT_EQ(MemberRecordOf(o)->valueType, kClassScriptObject);
  EXPECT_EQ(MemberRecordOf(o)->flags & 0x2600u, 0x2600u);
  Obj<ScriptObject> obj(ScriptObject::Create(p));
  ASSERT_EQ(MemberSize(obj, l), 3);
  EXPECT_EQ(MemberGetAt<VI32>(obj, l, 2), 6);
  EXPECT_EQ(MemberGetAt<VString>(obj, s, 1), "b");
  EXPECT_EQ(MemberSize(obj, o), 1);
}

}  // namespace PM::Test
