#include "script/lang/ArrayValue.h"

#include "script/lang/BoxArray.h"
#include "script/lang/OperatorContinuation.h"
#include "script/lang/Parser.h"
#include "script/object/ValueBox.h"

namespace PM::Visitor {

namespace {

constexpr uint32_t kUnsupported = 0x80000001u;
constexpr uint32_t kFailed = 0x80000008u;

// Value classes are no object classes: an array preset with one of them takes no objects.
bool IsValueClass(uint32_t classId) {
  return ClassIndex(classId) <= ClassIndex(kClassArrayMatrix4f) && classId != kClassScriptObject;
}

}  // namespace

template <class E>
Array<E>& ArrayValue::Elements() {
  if (!std::holds_alternative<Array<E>>(m_array)) m_array.template emplace<Array<E>>();
  return std::get<Array<E>>(m_array);
}

template <class T>
uint32_t ArrayValue::Take(const typename T::Value& v) {
  if (m_element != 0 && m_element != T::kClassId) return TypeError(T::kName);
  m_element = T::kClassId;
  Elements<typename T::Value>().Append(v);
  return 0;
}

void ArrayValue::AppendObject(ScriptObject* object) {
  if (m_element != kClassScriptObject) {
    // A preset object class: the elements are held as objects from now on.
    m_element = kClassScriptObject;
  }
  Elements<Obj<ScriptObject>>().Append(Obj<ScriptObject>(object));
}

uint32_t ArrayValue::FoundObject(ScriptObject* object) {
  bool accepted = m_element == 0 || m_element == kClassScriptObject ||
                  (!IsValueClass(m_element) && ClassExists(m_element) && object->IsA(m_element));
  if (!accepted) return TypeError("ScriptObject");
  AppendObject(object);
  return 0;
}

uint32_t ArrayValue::FoundArray(void* array, uint32_t elementClassId) {
  bool accepted =
      m_element == 0 || m_element == kClassScriptObject || (!IsValueClass(m_element) && m_element == elementClassId);
  if (!accepted) return TypeError("Array");
  Obj<ScriptObject> box = BoxArray(array, elementClassId);
  if (box.IsNil()) {
    ReportFor(*m_lexer, "ArrayValue::FoundArray not yet supported for type 0x", Hex{ClassIndex(elementClassId), 3},
              ".");
    return kUnsupported;
  }
  AppendObject(box);
  return 0;
}

uint32_t ArrayValue::TypeError(const char* typeName) {
  ReportFor(*m_lexer, "ArrayValue: cannot add type \"", typeName, "\" to array of type \"", ClassName(m_element),
            "\".");
  return 0x80000003u;
}

uint32_t ArrayValue::DeliverTo(ValueVisitor& receiver) {
  void* payload = std::visit(
      [](auto& a) -> void* {
        if constexpr (std::is_same_v<std::decay_t<decltype(a)>, std::monostate>)
          return NullArrayPayload();
        else
          return a.Data();
      },
      m_array);
  return receiver.FoundArray(payload, m_element);
}

// ---- HashValue ----

template <class T>
uint32_t HashValue::Take(const typename T::Value& v) {
  m_hash.Set(m_key, Obj<ScriptObject>(NewBox<T>(v)));
  return 0;
}

uint32_t HashValue::FoundObject(ScriptObject* object) {
  m_hash.Set(m_key, object);
  return 0;
}

uint32_t HashValue::FoundArray(void* array, uint32_t elementClassId) {
  Obj<ScriptObject> box = BoxArray(array, elementClassId);
  if (box.IsNil()) {
    ReportFor(*m_lexer, "HashValue::FoundArray not yet supported for type 0x", Hex{ClassIndex(elementClassId), 3}, ".");
    return kUnsupported;
  }
  m_hash.Set(m_key, box);
  return 0;
}

// ---- the literals ----

uint32_t ParseArrayLiteral(Lexer& lx, ValueVisitor& receiver, uint32_t elementClassId) {
  ArrayValue collect(&lx, elementClassId);
  for (;;) {
    if (lx.Kind() == kTokBracketClose) {
      lx.Lex();
      return collect.DeliverTo(receiver);
    }
    {
      OperatorContinuation next(&lx, collect);
      if (ParseValueCB(lx, next) != 0) return kFailed;
    }
    if (lx.Kind() == kTokComma || lx.Kind() == kTokSemicolon) {
      lx.Lex();
      continue;
    }
    if (lx.Kind() != kTokBracketClose) ReportFor(lx, "Value: Array: missing either ',' or ']', assuming ','.");
  }
}

uint32_t ParseHashLiteral(Lexer& lx, ValueVisitor& receiver) {
  HashValue collect(&lx);
  for (;;) {
    if (lx.Kind() == kTokBraceClose) {
      lx.Lex();
      return receiver.FoundNameHash(collect.Hash());
    }
    if (lx.Kind() != kTokAttribute) {
      ReportFor(lx, "Value: Hash: unexpected token instead of \".Attr\".");
      return kFailed;
    }
    collect.SetKey(String(lx.Text(), lx.TextLength()));
    {
      OperatorContinuation next(&lx, collect);
      if (lx.ParseValue(next) != 0) return kFailed;
    }
    if (lx.Kind() == kTokComma || lx.Kind() == kTokSemicolon) {
      lx.Lex();
      continue;
    }
    if (lx.Kind() != kTokBraceClose) ReportFor(lx, "Value: Hash: missing either ';' or '}', assuming ','.");
  }
}

#define PM_INSTANTIATE_TAKE(Tag)                                       \
  template uint32_t ArrayValue::Take<Tag>(const typename Tag::Value&); \
  template uint32_t HashValue::Take<Tag>(const typename Tag::Value&);
PM_FOR_EACH_VALUE_TAG(PM_INSTANTIATE_TAKE)
#undef PM_INSTANTIATE_TAKE

}  // namespace PM::Visitor
