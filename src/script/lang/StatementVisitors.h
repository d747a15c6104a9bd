// The value visitors of the statements: what an expression statement, a variable definition or
// assignment, a print, an include, a condition, a returned value, a class member default and an enum
// value do with the value that arrives. Each is a stack object of the statement that needs the value.
#pragma once

#include "core/Obj.h"
#include "script/lang/TypedVisitor.h"
#include "script/object/ScriptClass.h"
#include "script/object/ScriptNamespace.h"
#include "script/object/ValueBox.h"

namespace PM::Visitor {

// An expression statement: values are dropped.
class Expression : public TypedVisitor<Expression> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value&) {
    return TypeError(T::kName);
  }
  uint32_t FoundObject(ScriptObject*) override { return 0; }
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
};

// var: defines or replaces a global variable with a new value block of the value's type.
class DefVar : public TypedVisitor<DefVar> {
 public:
  DefVar(Lexer* lexer, ScriptNamespace* ns, const String& name) : TypedVisitor(lexer), m_ns(ns), m_name(name) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    Obj<ScriptObject> box(NewBox<T>(v));
    m_ns->SetVar(box, m_name);
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;

 private:
  ScriptNamespace* m_ns;
  String m_name;
};

// name = value: overwrites an existing variable of the same type in place.
class SetVar : public TypedVisitor<SetVar> {
 public:
  SetVar(Lexer* lexer, ScriptNamespace* ns, const String& name) : TypedVisitor(lexer), m_ns(ns), m_name(name) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    if constexpr (std::is_same_v<T, VNameHash>) {
      return 0x80000001u;
    } else {
      ScriptObject* var = Target(T::kClassId, T::kName);
      if (!var) return 0x80000008u;
      static_cast<ValueBox<T>*>(var)->value = v;
      return 0;
    }
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;

 private:
  // The variable's block when it exists with that type; else reported and null.
  ScriptObject* Target(uint32_t classId, const char* typeName);
  ScriptNamespace* m_ns;
  String m_name;
};

// print, p, pl: writes each value to the print stream.
class Print : public TypedVisitor<Print> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
};

// include: takes the file name.
class Include : public TypedVisitor<Include> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
  const String& FileName() const { return m_fileName; }

 private:
  String m_fileName;
};

// if: records whether a Bool arrived and its value.
class If : public TypedVisitor<If> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    if constexpr (std::is_same_v<T, VBool>) {
      m_found = true;
      m_value = v;
    } else if constexpr (std::is_same_v<T, VNameHash>) {
      return Unintended("If::FoundNameHash unintended use.");
    }
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void*, uint32_t) override { return 0; }
  bool FoundBoolValue() const { return m_found; }
  bool Value() const { return m_value; }

 private:
  uint32_t Unintended(const char* text);
  bool m_found = false;
  bool m_value = false;
};

// An expression's value as the result: a boxed value or a counted object reference.
class Return : public TypedVisitor<Return> {
 public:
  Return(Lexer* lexer, Obj<ScriptObject>& result) : TypedVisitor(lexer), m_result(result) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    m_result = NewBox<T>(v);
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;

 private:
  Obj<ScriptObject>& m_result;
};

// A member line of a class statement: defines a member variable with the value as its default.
class Class : public TypedVisitor<Class> {
 public:
  Class(Lexer* lexer, ScriptClass* cls, uint32_t flags, const String& name)
      : TypedVisitor(lexer), m_class(cls), m_flags(flags), m_name(name) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    m_class->DefMemberVar(m_name, T::kClassId, m_flags, &v);
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;

 private:
  ScriptClass* m_class;
  uint32_t m_flags;
  String m_name;
};

// A value line of an enum statement: I32 and U32 give the number, an enum value gives -1.
class Enum : public TypedVisitor<Enum> {
 public:
  Enum(Lexer* lexer, ScriptClass* cls, uint32_t flags, const String& name)
      : TypedVisitor(lexer), m_class(cls), m_flags(flags), m_name(name) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    if constexpr (std::is_same_v<T, VI32> || std::is_same_v<T, VU32>)
      return Define(int32_t(v));
    else if constexpr (std::is_same_v<T, VEnum>)
      return Define(-1);
    else
      return TypeError(T::kName);
  }
  uint32_t FoundObject(ScriptObject*) override { return TypeError("ScriptObject"); }
  uint32_t FoundArray(void*, uint32_t) override { return TypeError("Array"); }
  uint32_t TypeError(const char* typeName) override;

 private:
  uint32_t Define(int32_t value);
  ScriptClass* m_class;
  uint32_t m_flags;
  String m_name;
};

}  // namespace PM::Visitor
