// Whole arrays offered to the member-assignment visitors: "=" sets, "+=" appends, "<<" refuses. Every
// type check is made before the first element is written, so a refused array leaves the member as it was.
#include <string>

#include "core/ResultCode.h"
#include "script/lang/MemberVisitors.h"
#include "script/lang/Parser.h"
#include "script/object/ClassDatabase.h"

namespace PM::Visitor {

namespace {

// The element classes whose arrays members take.
template <class F>
bool WithArrayCase(uint32_t elementClassId, F&& f) {
  switch (elementClassId) {
    case kClassScriptObject:
      f(VObject{});
      return true;
    case kClassEnum:
      f(VEnum{});
      return true;
    case kClassMemberID:
      f(VMemberID{});
      return true;
    case kClassBool:
      f(VBool{});
      return true;
    case kClassString:
      f(VString{});
      return true;
    case kClassI32:
      f(VI32{});
      return true;
    case kClassU32:
      f(VU32{});
      return true;
    case kClassF32:
      f(VF32{});
      return true;
    case kClassVector2f:
      f(VVector2f{});
      return true;
    case kClassVector3f:
      f(VVector3f{});
      return true;
    case kClassVector4f:
      f(VVector4f{});
      return true;
    case kClassMatrix4f:
      f(VMatrix4f{});
      return true;
    case kClassNameHash:
      f(VNameHash{});
      return true;
    default:
      return false;
  }
}

// A class of objects other than the boxes of the value types.
bool IsObjectClass(uint32_t classId) {
  if (classId == kClassNil || WithValueTag(classId, [](auto) {})) return false;
  const MemberTable* t = ValidTable(classId);
  return t && t->kind == kClassKindObject;
}

int32_t CountOf(const void* array) { return array ? int32_t(HeaderOf(array)->count) : 0; }

const char* BlockTypeName(const void* array) {
  const TypeRecord* type = array ? HeaderOf(array)->type : nullptr;
  return type && type->name ? type->name : "???";
}

template <class Tag>
std::string ArrayTypeName() {
  return std::string("Array_") + Tag::kName;
}

template <class Tag>
const typename Tag::Element* ElementsOf(const void* array) {
  return static_cast<const typename Tag::Element*>(array);
}

// The value a member's Set takes for one element (objects are held counted in arrays, passed borrowed).
template <class Tag>
typename Tag::Value ValueOf(const typename Tag::Element& e) {
  if constexpr (std::is_same_v<Tag, VObject>)
    return e.Get();
  else
    return e;
}

}  // namespace

// ---- "=" --------------------------------------------------------------------------------------------

template <class Tag>
uint32_t MemberSet::SetWhole(const void* array) {
  if constexpr (std::is_same_v<Tag, VMemberID>) {
    return TypeError("Array_Attr");
  } else {
    if (m_valueType != Tag::kClassId) return TypeError(ArrayTypeName<Tag>().c_str());
    Array<typename Tag::Element> copy;
    copy.AssignStorage(ElementsOf<Tag>(array), CountOf(array));
    PM::MemberSetArray<Tag>(m_object, m_member, copy);
    return 0;
  }
}

template <class Tag>
uint32_t MemberSet::SetEach(const void* array) {
  if (m_valueType != Tag::kClassId) return TypeError(ArrayTypeName<Tag>().c_str());
  const int32_t n = CountOf(array);
  const typename Tag::Element* elements = ElementsOf<Tag>(array);
  for (int32_t i = 0; i < n; ++i) PM::MemberSetAt<Tag>(m_object, m_member, i, ValueOf<Tag>(elements[i]));
  if (MemberSize(m_object, m_member) > n) MemberRemove(m_object, m_member, n, -1);
  return 0;
}

uint32_t MemberSet::FoundArray(void* array, uint32_t elementClassId) {
  if (!Shape()) {
    ReportFor(*m_lexer, "MemberSet: Array: member ", Hex{m_member, 8}, " does not accept an array.");
    return EInvalidArgument;
  }
  const bool whole = m_flags & kMemberArray;
  // An indexed member of object references takes objects of any class.
  uint32_t caseClass = elementClassId;
  if (!whole && IsObjectClass(elementClassId)) caseClass = kClassScriptObject;
  uint32_t result = 0;
  if (WithArrayCase(caseClass, [&](auto tag) {
        using Tag = decltype(tag);
        result = whole ? SetWhole<Tag>(array) : SetEach<Tag>(array);
      }))
    return result;
  if (CountOf(array) != 0) {
    ReportFor(*m_lexer, "MemberSet: Array: type ", BlockTypeName(array), " not implemented.");
    return EUnimplemented;
  }
  MemberRemove(m_object, m_member, 0, -1);  // an empty array of any type clears the member
  return 0;
}

// ---- "<<" -------------------------------------------------------------------------------------------

// "<<" takes single values only.
uint32_t MemberAppend::FoundArray(void* array, uint32_t) {
  ReportFor(*m_lexer, "MemberAppend: Array: type ", BlockTypeName(array), " not implemented.");
  return EInvalidArgument;
}

// ---- "+=" -------------------------------------------------------------------------------------------

template <class Tag>
void MemberAssignOp::Append(const void* array) {
  const int32_t n = CountOf(array);
  const typename Tag::Element* elements = ElementsOf<Tag>(array);
  if (m_flags & kMemberArray) {
    Array<typename Tag::Element> held = PM::MemberGetArray<Tag>(m_object, m_member);
    for (int32_t i = 0; i < n; ++i) held.Append(elements[i]);
    PM::MemberSetArray<Tag>(m_object, m_member, held);
    return;
  }
  for (int32_t i = 0; i < n; ++i)
    PM::MemberSetAt<Tag>(m_object, m_member, MemberSize(m_object, m_member), ValueOf<Tag>(elements[i]));
}

uint32_t MemberAssignOp::FoundArray(void* array, uint32_t elementClassId) {
  if (elementClassId != m_valueType) return TypeError("Array<Unknown>");
  if (!Shape()) {
    ReportFor(*m_lexer, "MemberAssignOp: lhs is not 'Array' or 'Index' type or does not support '+= []' yet.");
    return EInvalidArgument;
  }
  if (WithArrayCase(elementClassId, [&](auto tag) { Append<decltype(tag)>(array); })) return 0;
  ReportFor(*m_lexer, "MemberAssignOp: lhs type unimplemented.");
  return EUnimplemented;
}

}  // namespace PM::Visitor
