#include "script/lang/StatementVisitors.h"

#include "script/lang/BoxArray.h"
#include "script/lang/Parser.h"
#include "script/lang/PrintHash.h"
#include "script/object/ClassDatabase.h"

namespace PM::Visitor {

namespace {

constexpr uint32_t kUnsupported = 0x80000001u;
constexpr uint32_t kInvalidArgument = 0x80000003u;
constexpr uint32_t kFailed = 0x80000008u;

}  // namespace

// ---- Expression ----

uint32_t Expression::FoundArray(void*, uint32_t elementClassId) {
  if (elementClassId != kClassScriptObject) return TypeError("Array");
  ReportFor(*m_lexer, "Expression: ", "ScriptObject", " Array statement has no immediate effect.");
  return 0;
}

// ---- DefVar ----

uint32_t DefVar::FoundObject(ScriptObject* object) {
  m_ns->SetVar(object, m_name);
  return 0;
}

// The variable holds the array boxed as an object of its Array_ class.
uint32_t DefVar::FoundArray(void* array, uint32_t elementClassId) {
  Obj<ScriptObject> box = BoxArray(array, elementClassId);
  if (box.IsNil()) {
    ReportFor(*m_lexer, "DefVar::FoundArray not yet supported for type 0x", Hex{ClassIndex(elementClassId), 3}, ".");
    return kUnsupported;
  }
  m_ns->SetVar(box.Get(), m_name);
  return 0;
}

// ---- SetVar ----

ScriptObject* SetVar::Target(uint32_t classId, const char* typeName) {
  ScriptObject* var = m_ns->GetVar(m_name);
  if (!var) {
    ReportFor(*m_lexer, "SetVar: global var ", m_name, " is undefined.");
    return nullptr;
  }
  if (var->GetClassID() != classId) {
    ReportFor(*m_lexer, "SetVar: global var ", m_name, " has different type than ", typeName, ".");
    return nullptr;
  }
  return var;
}

uint32_t SetVar::FoundObject(ScriptObject*) {
  ReportFor(*m_lexer, "SetVar::FoundObject unintended use.");
  return kFailed;
}

uint32_t SetVar::FoundArray(void*, uint32_t) {
  ReportFor(*m_lexer, "SetVar::FoundArray unimplemented.");
  return kUnsupported;
}

// ---- Print ----

template <class T>
uint32_t Print::Take(const typename T::Value& v) {
  StreamPipeRef& out = PrintPipe();
  if constexpr (std::is_same_v<T, VBool>)
    out.WriteText(v ? "true" : "false");
  else if constexpr (std::is_same_v<T, VI32>)
    out.WriteI32(v);
  else if constexpr (std::is_same_v<T, VI64>)
    out.WriteI64(v);
  else if constexpr (std::is_same_v<T, VU32>)
    out.WriteU32(v);
  else if constexpr (std::is_same_v<T, VU64>)
    out.WriteU64(v);
  else if constexpr (std::is_same_v<T, VF32>)
    out.WriteF32(v);
  else if constexpr (std::is_same_v<T, VF64>)
    out.WriteF64(v);
  else if constexpr (std::is_same_v<T, VVector2f>)
    out.WriteVector2f(v);
  else if constexpr (std::is_same_v<T, VVector3f>)
    out.WriteVector3f(v);
  else if constexpr (std::is_same_v<T, VVector4f>)
    out.WriteVector4f(v);
  else if constexpr (std::is_same_v<T, VMatrix4f>)
    out.WriteMatrix4f(v);
  else if constexpr (std::is_same_v<T, VSpheref>)
    out.WriteSpheref(v);
  else if constexpr (std::is_same_v<T, VString>)
    out.WriteString(v);
  else if constexpr (std::is_same_v<T, VEnum>)
    return ReportFor(*m_lexer, "Print::FoundEnum unimplemenmted."), kUnsupported;
  else if constexpr (std::is_same_v<T, VMemberID>)
    return ReportFor(*m_lexer, "Print::FoundMemberID unimplemenmted."), kUnsupported;
  else if constexpr (std::is_same_v<T, VNameHash>)
    PrintHash(out, v);
  return 0;
}

uint32_t Print::FoundObject(ScriptObject* object) {
  PrintPipe()
      .WriteText(object->GetClassName())
      .WriteText("(0x")
      .WriteHex(reinterpret_cast<uintptr_t>(object))
      .WriteChar(')');
  return 0;
}

uint32_t Print::FoundArray(void*, uint32_t) {
  ReportFor(*m_lexer, "Print::FoundArray unimplemented.");
  return kUnsupported;
}

// ---- Include ----

template <class T>
uint32_t Include::Take(const typename T::Value& v) {
  if constexpr (std::is_same_v<T, VString>) {
    m_fileName = v;
    return 0;
  } else {
    if constexpr (std::is_same_v<T, VEnum>)
      ReportFor(*m_lexer, "Include::FoundEnum unimplemenmted.");
    else
      ReportFor(*m_lexer, "Include::Found", T::kName, " unimplemented.");
    return kUnsupported;
  }
}

uint32_t Include::FoundObject(ScriptObject*) {
  ReportFor(*m_lexer, "Include::FoundObject unintended use.");
  return kUnsupported;
}

uint32_t Include::FoundArray(void*, uint32_t) {
  ReportFor(*m_lexer, "Include::FoundArray unimplemented.");
  return kUnsupported;
}

// ---- If ----

uint32_t If::Unintended(const char* text) {
  ReportFor(*m_lexer, text);
  return kUnsupported;
}

uint32_t If::FoundObject(ScriptObject*) { return Unintended("If::FoundObject unintended use."); }

// ---- Return ----

uint32_t Return::FoundObject(ScriptObject* object) {
  m_result = object;
  return 0;
}

uint32_t Return::FoundArray(void*, uint32_t) {
  ReportFor(*m_lexer, "Return::FoundArray unimplemented.");
  return kUnsupported;
}

// ---- Class ----

uint32_t Class::FoundObject(ScriptObject* object) {
  m_class->DefMemberVar(m_name, kClassScriptObject, m_flags | kMemberObjectRef | kMemberObjectTyped, &object);
  return 0;
}

// An array default declares an indexed member of the element type holding a copy of the elements.
uint32_t Class::FoundArray(void* array, uint32_t elementClassId) {
  const MemberTable* table = ValidTable(elementClassId);
  uint32_t valueType = elementClassId;
  uint32_t added = kMemberIndexed;
  if (elementClassId == kClassEnum || (table && table->kind == kClassKindEnum)) {
    valueType = kClassEnum;
    added = kMemberIndexed | kMemberEnumValue;
  } else if (elementClassId == kClassScriptObject ||
             (table && table->kind == kClassKindObject && elementClassId != kClassNil &&
              !WithValueTag(elementClassId, [](auto) {}))) {
    valueType = kClassScriptObject;
    added = 0x2600;
  }
  bool known = WithValueTag(valueType, [&](auto tag) {
    using E = typename decltype(tag)::Element;
    Array<E> elements;
    elements.AssignStorage(static_cast<const E*>(array), array ? int32_t(HeaderOf(array)->count) : 0);
    m_class->DefMemberVar(m_name, valueType, m_flags | added, &elements);
  });
  if (known) return 0;
  const TypeRecord* type = array ? HeaderOf(array)->type : nullptr;
  ReportFor(*m_lexer, "Class: Array: type ", type && type->name ? type->name : "???", " not implemented.");
  return kUnsupported;
}

// ---- Enum ----

uint32_t Enum::Define(int32_t value) {
  m_class->DefMemberEnum(m_name, value, m_flags);
  return 0;
}

uint32_t Enum::TypeError(const char* typeName) {
  ReportFor(*m_lexer, "Enum: argument type error, expected Enum|I32|U32 but found ", typeName, ".");
  return kInvalidArgument;
}

// The typed slots of Print and Include are instantiated here for every value type.
#define PM_INSTANTIATE_TAKE(Tag)                                  \
  template uint32_t Print::Take<Tag>(const typename Tag::Value&); \
  template uint32_t Include::Take<Tag>(const typename Tag::Value&);
PM_FOR_EACH_VALUE_TAG(PM_INSTANTIATE_TAKE)
#undef PM_INSTANTIATE_TAKE

}  // namespace PM::Visitor
