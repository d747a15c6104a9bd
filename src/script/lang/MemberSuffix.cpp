#include "script/lang/MemberSuffix.h"

#include <vector>

#include "script/lang/ArrayGenericValue.h"
#include "script/lang/NestingDepth.h"
#include "script/lang/ObjectMentions.h"
#include "script/lang/OperatorContinuation.h"
#include "script/lang/Parser.h"
#include "script/lang/VisitorSlot.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptNamespace.h"
#include "script/object/ValueBox.h"

namespace PM {

namespace {

constexpr uint32_t kUnsupported = 0x80000001u;
constexpr uint32_t kInvalidArgument = 0x80000003u;
constexpr uint32_t kFailed = 0x80000008u;
constexpr uint32_t kNotFound = 0x8000000Au;
constexpr uint32_t kClassObject = 0xFFFFF040u;
constexpr uint32_t kMemberObjectName = 0x01FFF040u;

String TokenString(const Lexer& lexer) { return String(lexer.Text(), lexer.TextLength()); }

template <class Tag>
uint32_t DeliverArrayBox(ValueVisitor& v, ScriptObject* box, uint32_t elementClassId) {
  return v.FoundArray(static_cast<ArrayBox<Tag>*>(box)->value.Data(), elementClassId);
}

// The hash entry of `key`, else the entry "__default__", else nil.
ScriptObject* HashLookup(const NameHash& hash, const String& key) {
  if (ScriptObject* found = hash.Find(key)) return found;
  if (ScriptObject* fallback = hash.Find(String("__default__"))) return fallback;
  return NilScriptObject();
}

// "[" consumed: a ".Name" key or a String expression, then "]". The message names the form on error.
uint32_t ReadKey(Parser& p, String& key, const char* message) {
  Lexer& lx = p.GetLexer();
  uint32_t r = 0;
  if (lx.Kind() == kTokAttribute) {
    key = TokenString(lx);
    lx.Lex();
  } else {
    Visitor::Key value(&lx);
    Visitor::OperatorContinuation next(&lx, value);
    r = ParseValueCB(lx, next);
    key = value.Value();
  }
  if (r != 0 || key.IsEmpty()) {
    p.Report(message);
    lx.SkipToStatementEnd();
    return r ? r : kInvalidArgument;
  }
  return lx.ReadExpect(kTokBracketClose);
}

// "[" consumed: an I32 or U32 index expression.
uint32_t ReadIndex(Parser& p, int32_t& index) {
  Lexer& lx = p.GetLexer();
  Visitor::Index value(&lx);
  Visitor::OperatorContinuation next(&lx, value);
  uint32_t r = ParseValueCB(lx, next);
  index = value.Value();
  return r;
}

// A value reached through a suffix, delivered under the caller's flag.
uint32_t ContinueConsumed(Parser& p, ValueVisitor& v, ScriptObject* value, uint32_t& consumed) {
  Obj<ScriptObject> hold(value);
  consumed = 1;
  return ContinueWithValue(p, v, hold);
}

uint32_t AttributeBlock(Parser& p, ScriptObject* object) {
  Lexer& lx = p.GetLexer();
  lx.Lex();  // "."
  if (lx.ReadExpect(kTokBraceOpen) != 0) return 0;
  for (;;) {
    uint32_t member;
    if (lx.Kind() == kTokAttribute) {
      String name = TokenString(lx);
      member = FindMemberID(object->GetClassID(), name.CStr());
      lx.Lex();
      if (!member) {
        // Nothing is assigned for an unknown name: the block ends here.
        p.Report("Object: unknown member attribute \"", name, "\".");
        lx.SkipToStatementEnd();
        break;
      }
    } else if (lx.Kind() == kTokMemberId) {
      member = lx.Value().u32;
      lx.Lex();
    } else {
      break;
    }
    if (p.ParseAttributeValue(object, member) != 0) {
      p.Report("Object: failed to set member attribute ", Hex{member, 8}, ".");
      lx.SkipToStatementEnd();
      break;
    }
    lx.ReadExpect(kTokSemicolon);
  }
  lx.ReadExpect(kTokBraceClose);
  return 0;
}

uint32_t NamedMember(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t& consumed) {
  Lexer& lx = p.GetLexer();
  String name = TokenString(lx);
  uint32_t member = FindMemberID(object->GetClassID(), name.CStr());
  lx.Lex();
  if (!member) {
    p.Report("Object: unknown member attribute \"", name, "\" on class \"", object->GetClassName(), "\".");
    lx.SkipToStatementEnd();
    return 0;
  }
  if (lx.Kind() == kTokQuestion) {
    lx.Lex();
    consumed = 1;
    return GetMemberValue(p, v, object, member);
  }
  if (p.ParseAttributeValue(object, member) != 0) {
    p.Report("Object: failed to set member attribute \"", name, "\".");
    lx.SkipToStatementEnd();
  }
  return 0;
}

uint32_t IsTest(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t& consumed) {
  Lexer& lx = p.GetLexer();
  if (lx.Kind() != kTokName) {
    p.Report("Is: expected ClassID.");
    return kFailed;
  }
  String name = TokenString(lx);
  lx.Lex();
  while (lx.Kind() == kTokAttribute) {
    name = String::FromConcat(name, TokenString(lx));
    lx.Lex();
  }
  uint32_t classId = p.FindClass(name);
  if (!classId || lx.Accept(kTokParenClose) != 0) {
    p.Report("Is: expected ClassID but found unknown \"", name, "\".");
    return kFailed;
  }
  consumed = 1;
  return v.FoundBool(object->IsA(classId));
}

uint32_t CallSuffix(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t& consumed) {
  Lexer& lx = p.GetLexer();
  String name = TokenString(lx);
  lx.Lex();
  if (lx.ReadExpect(kTokParenOpen) != 0) return kFailed;
  if (uint32_t member = FindMemberID(object->GetClassID(), name.CStr())) {
    Array<Obj<ScriptObject>> arguments;
    Visitor::ArrayGenericValue collect(&lx, kClassScriptObject, arguments);
    if (uint32_t r = Visitor::ParseArgumentList(lx, collect)) return r;
    consumed = 1;
    return CallMemberFunction(p, v, object, member, arguments);
  }
  if (name == "Is") return IsTest(p, v, object, consumed);
  p.Report("Object: unknown member attribute (function) \"", name, "\".");
  lx.SkipToStatementEnd();
  return kNotFound;
}

uint32_t IndexedMember(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t& consumed) {
  Lexer& lx = p.GetLexer();
  String name = TokenString(lx);
  uint32_t member = FindMemberID(object->GetClassID(), name.CStr());
  lx.Lex();
  if (!member) {
    p.Report("Object: unknown member attribute (get[]) \"", name, "\".");
    lx.SkipToStatementEnd();
    return 0;
  }
  if (lx.Accept(kTokBracketOpen) != 0) {
    p.Report("Index: expected '['.");
    return kInvalidArgument;
  }
  const MemberRecord* record = object->FindRecord(member);
  if (record && record->valueType == kClassNameHash && !(record->flags & (kMemberIndexed | kMemberArray))) {
    String key;
    if (uint32_t r = ReadKey(p, key, ".Hash[]: expected '.Identifier' or key-string-expression.")) return r;
    NameHash hash = MemberGet<VNameHash>(object, member);
    return ContinueConsumed(p, v, HashLookup(hash, key), consumed);
  }
  int32_t index;
  if (uint32_t r = ReadIndex(p, index)) {
    p.Report("Index: error in index expression.");
    lx.SkipToStatementEnd();
    return r;
  }
  if (lx.Accept(kTokBracketClose) != 0) {
    p.Report("Index: expected ']'.");
    return kInvalidArgument;
  }
  if (lx.Accept(kTokQuestion) != 0) {
    p.Report("Index: index set[] expression not supported yet.");
    lx.SkipToStatementEnd();
    return kUnsupported;
  }
  consumed = 1;
  return GetMemberValueAt(p, v, object, member, index);
}

uint32_t ObjectIndex(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t& consumed) {
  Lexer& lx = p.GetLexer();
  const uint32_t classId = object->GetClassID();
  if (classId == kClassNameHash) {
    lx.Lex();
    String key;
    if (uint32_t r = ReadKey(p, key, ":Hash[]: expected '.Identifier' or key-string-expression.")) return r;
    return ContinueConsumed(p, v, HashLookup(static_cast<ValueBox<VNameHash>*>(object)->value, key), consumed);
  }
  if (classId == kClassArrayScriptObject) {
    lx.Lex();
    int32_t index;
    if (uint32_t r = ReadIndex(p, index)) {
      p.Report(":Index[]: expected integer-expression.");
      lx.SkipToStatementEnd();
      return r;
    }
    if (uint32_t r = lx.ReadExpect(kTokBracketClose)) return r;
    const Array<Obj<ScriptObject>>& elements = static_cast<ArrayBox<VObject>*>(object)->value;
    ScriptObject* element = NilScriptObject();
    if (uint32_t(index) < uint32_t(elements.Count()))
      element = elements[index];
    else
      p.Report(":Index[]: index out of bounds.");
    return ContinueConsumed(p, v, element, consumed);
  }
  p.Report(":Index: index get/set[] not yet implemented for array-types.");
  lx.SkipToStatementEnd();
  return kUnsupported;
}

}  // namespace

// ---- Index and Key ----

namespace Visitor {

// What the Index and Key visitors say of a value they cannot use ("Index::FoundEnum unsupported.").
template <class T>
uint32_t RefuseValue(Lexer& lx, const char* visitor) {
  if constexpr (std::is_same_v<T, VEnum>) ReportFor(lx, visitor, "::FoundEnum unsupported.");
  if constexpr (std::is_same_v<T, VMemberID>) ReportFor(lx, visitor, "::FoundMemberID unintended use.");
  return kInvalidArgument;
}
uint32_t RefuseUnintended(Lexer& lx, const char* visitor, const char* slot) {
  ReportFor(lx, visitor, "::", slot, " unintended use.");
  return kInvalidArgument;
}

template <class T>
uint32_t Index::Take(const typename T::Value& v) {
  if constexpr (!std::is_same_v<T, VI32> && !std::is_same_v<T, VU32>)
    return RefuseValue<T>(*m_lexer, "Index");
  else {
    m_index = int32_t(v);
    return 0;
  }
}
uint32_t Index::FoundObject(ScriptObject*) { return RefuseUnintended(*m_lexer, "Index", "FoundObject"); }
uint32_t Index::FoundArray(void*, uint32_t) { return RefuseUnintended(*m_lexer, "Index", "FoundArray"); }

template <class T>
uint32_t Key::Take(const typename T::Value& v) {
  if constexpr (!std::is_same_v<T, VString>)
    return RefuseValue<T>(*m_lexer, "Key");
  else {
    m_key = v;
    return 0;
  }
}
uint32_t Key::FoundObject(ScriptObject*) { return RefuseUnintended(*m_lexer, "Key", "FoundObject"); }
uint32_t Key::FoundArray(void*, uint32_t) { return RefuseUnintended(*m_lexer, "Key", "FoundArray"); }

}  // namespace Visitor

// ---- values ----

uint32_t DeliverBoxedValue(ValueVisitor& v, ScriptObject* value) {
  uint32_t r = 0;
  const uint32_t classId = value->GetClassID();
  auto scalar = [&](auto tag) {
    using Tag = decltype(tag);
    if constexpr (std::is_same_v<Tag, VObject>)
      r = v.FoundObject(value);
    else
      r = CallSlot<Tag>(v, static_cast<ValueBox<Tag>*>(value)->value);
  };
  switch (classId) {
    case kClassArrayScriptObject:
      return DeliverArrayBox<VObject>(v, value, kClassScriptObject);
    case kClassArrayBool:
      return DeliverArrayBox<VBool>(v, value, kClassBool);
    case kClassArrayString:
      return DeliverArrayBox<VString>(v, value, kClassString);
    case kClassArrayI32:
      return DeliverArrayBox<VI32>(v, value, kClassI32);
    case kClassArrayI64:
      return DeliverArrayBox<VI64>(v, value, kClassI64);
    case kClassArrayU32:
      return DeliverArrayBox<VU32>(v, value, kClassU32);
    case kClassArrayU64:
      return DeliverArrayBox<VU64>(v, value, kClassU64);
    case kClassArrayF32:
      return DeliverArrayBox<VF32>(v, value, kClassF32);
    case kClassArrayF64:
      return DeliverArrayBox<VF64>(v, value, kClassF64);
    case kClassArrayVector2f:
      return DeliverArrayBox<VVector2f>(v, value, kClassVector2f);
    case kClassArrayVector3f:
      return DeliverArrayBox<VVector3f>(v, value, kClassVector3f);
    case kClassArrayVector4f:
      return DeliverArrayBox<VVector4f>(v, value, kClassVector4f);
    case kClassArrayMatrix4f:
      return DeliverArrayBox<VMatrix4f>(v, value, kClassMatrix4f);
    default:
      break;
  }
  if (!WithValueTag(classId, scalar)) return v.FoundObject(value);
  return r;
}

uint32_t ContinueWithValue(Parser& p, ValueVisitor& v, ScriptObject* value) {
  Obj<ScriptObject> hold(value);  // the suffix may replace whatever held it
  NestingDepth level(NestingDepth::kValueLevel);
  if (level.TooDeep()) {
    p.Report("Object: member suffixes nested too deeply (limit ", NestingDepth::kLimit, ").");
    return kFailed;
  }
  uint32_t consumed = 0;
  if (uint32_t r = ParseMemberSuffix(p, v, hold, consumed)) return r;
  return consumed ? 0 : DeliverBoxedValue(v, hold);
}

uint32_t ParseMemberSuffix(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t& consumed) {
  Lexer& lx = p.GetLexer();
  switch (lx.Kind()) {
    case kTokPeriod:
      return AttributeBlock(p, object);
    case kTokAttribute:
      return NamedMember(p, v, object, consumed);
    case kTokAttributeCall:
      return CallSuffix(p, v, object, consumed);
    case kTokAttributeIndex:
      return IndexedMember(p, v, object, consumed);
    case kTokBracketOpen:
      return ObjectIndex(p, v, object, consumed);
    case kTokMemberId: {
      uint32_t member = lx.Value().u32;
      lx.Lex();
      if (p.ParseAttributeValue(object, member) != 0) {
        p.Report("Object: failed to set member attribute ", Hex{member, 8}, ".");
        lx.SkipToStatementEnd();
      }
      return 0;
    }
    default:
      return 0;
  }
}

uint32_t GetMemberValue(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t member) {
  Lexer& lx = p.GetLexer();
  const MemberRecord* record = object->FindRecord(member);
  const uint32_t flags = record ? record->flags : 0;
  if (flags & (kMemberIndexed | kMemberArray)) {
    p.Report("Object: unsupported member attribute (get array) type.");
    lx.SkipToStatementEnd();
    return kFailed;
  }
  if (record && record->id && (flags & kMemberObjectRef))
    return ContinueWithValue(p, v, MemberGet<VObject>(object, member));
  uint32_t r = 0;
  bool known =
      record && record->id && record->valueType != kClassScriptObject && WithValueTag(record->valueType, [&](auto tag) {
        using Tag = decltype(tag);
        if constexpr (!std::is_same_v<Tag, VObject>) r = CallSlot<Tag>(v, MemberGet<Tag>(object, member));
      });
  if (!known) {
    p.Report("Object: unsupported member attribute (get) type.");
    lx.SkipToStatementEnd();
    return kFailed;
  }
  return r;
}

uint32_t GetMemberValueAt(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t member, int32_t index) {
  Lexer& lx = p.GetLexer();
  const MemberRecord* record = object->FindRecord(member);
  const uint32_t flags = record ? record->flags : 0;
  if (!(flags & kMemberIndexed)) {
    p.Report("Object: unsupported member attribute (get[] array) type.");
    lx.SkipToStatementEnd();
    return kFailed;
  }
  if (flags & kMemberObjectRefIndexed) return ContinueWithValue(p, v, MemberGetAt<VObject>(object, member, index));
  uint32_t r = 0;
  bool known = record->valueType != kClassScriptObject && WithValueTag(record->valueType, [&](auto tag) {
                 using Tag = decltype(tag);
                 if constexpr (!std::is_same_v<Tag, VObject>)
                   r = CallSlot<Tag>(v, MemberGetAt<Tag>(object, member, index));
               });
  if (!known) {
    p.Report("Object: unsupported member attribute (get[]) type.");
    lx.SkipToStatementEnd();
    return kFailed;
  }
  return r;
}

uint32_t CallMemberFunction(Parser& p, ValueVisitor& v, ScriptObject* object, uint32_t member,
                            const Array<Obj<ScriptObject>>& arguments) {
  const MemberRecord* record = object->FindRecord(member);
  if (!record || !(record->flags & kMemberFunction)) {
    p.Report("Object: member attribute is not a function.");
    p.GetLexer().SkipToStatementEnd();
    return kFailed;
  }
  std::vector<ScriptObject*> argv;
  for (const Obj<ScriptObject>& a : arguments) argv.push_back(a.Get());
  Obj<ScriptObject> result = PM::MemberCall(object, member, int32_t(argv.size()), argv.data());
  return ContinueWithValue(p, v, result);
}

// ---- named objects ----

// A new object of the named class for the object step, or nil after a report (`unknownClass` starts
// the text for a name no class has) and a skip to the statement's end.
static Obj<ScriptObject> CreateByClassName(Parser& p, const String& className, const char* unknownClass) {
  uint32_t classId = p.FindClass(className);
  Obj<ScriptObject> made;
  if (!classId) {
    p.Report(unknownClass, className, "\".");
  } else {
    made = Obj<ScriptObject>(ScriptObject::Create(classId));
    if (made.IsNil()) p.Report("Object: could not create abstract or unknown object \"", className, "\".");
  }
  if (made.IsNil()) p.GetLexer().SkipToStatementEnd();
  return made;
}

// Tells the installed mentions table of a reference to a named object: it addresses the object when it
// heads its statement or a member suffix follows it; otherwise it only mentions it (a member's value, an
// argument).
static void NoteMention(Parser& p, const ValueVisitor& v, ScriptObject* object, const String& name, bool made) {
  if (!ObjectMentions::Active()) return;
  const int32_t next = p.GetLexer().Kind();
  const bool suffix = next == kTokPeriod || next == kTokAttribute || next == kTokAttributeCall ||
                      next == kTokAttributeIndex || next == kTokBracketOpen || next == kTokMemberId;
  ObjectMentions::Note(object, name, p.GetName(), p.GetLexer().GetLine(), made, suffix || p.HeadsStatement(v));
}

uint32_t ParseObjectReference(Parser& p, ValueVisitor& v, const String& className, ScriptNamespace* ns,
                              const String& name, uint32_t handle) {
  Lexer& lx = p.GetLexer();
  ScriptObject* found = nullptr;
  if (handle)
    found = ns->FindObjectByHandle(handle);
  else if (!name.IsEmpty())
    found = ns->FindObject(name);
  if (found && !IsNilObject(found)) {
    if (className.IsEmpty() || className == found->GetClassName()) {
      NoteMention(p, v, found, name, false);
      return ContinueWithValue(p, v, found);
    }
    p.Report("Object: Object$", Hex{handle, 0}, name.IsEmpty() ? "" : ":", name, " changed type \"",
             found->GetClassName(), "\" to \"", className, "\".");
    Obj<ScriptObject> made = CreateByClassName(p, className, "Object: unknown class \"");
    if (made.IsNil()) return kFailed;
    if (handle) ns->RegisterObject(made, handle);
    if (!name.IsEmpty()) {
      ns->RegisterNamedObject(made, name);
      NoteMention(p, v, made, name, true);
    }
    return 0;
  }
  if (className.IsEmpty()) {
    p.Report("Object: encountered undefined object \"", name, "\".");
    lx.SkipToStatementEnd();
    return kFailed;
  }
  Obj<ScriptObject> made = CreateByClassName(p, className, "Object: encountered unknown type \"");
  if (made.IsNil()) return kFailed;
  if (handle) {
    ns->RegisterObject(made, handle);
  } else if (!name.IsEmpty()) {
    if (ClassExists(kClassObject) && made->IsA(kClassObject)) MemberSet<VString>(made, kMemberObjectName, name);
    ns->RegisterNamedObject(made, name);
    NoteMention(p, v, made, name, true);
  } else {
    ns->RegisterObject(made, 0);
  }
  return ContinueWithValue(p, v, made);
}

#define PM_INSTANTIATE_TAKE(Tag)                                           \
  template uint32_t Visitor::Index::Take<Tag>(const typename Tag::Value&); \
  template uint32_t Visitor::Key::Take<Tag>(const typename Tag::Value&);
PM_FOR_EACH_VALUE_TAG(PM_INSTANTIATE_TAKE)
#undef PM_INSTANTIATE_TAKE

}  // namespace PM
