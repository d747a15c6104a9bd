// ScriptNamespace: where a script run defines its global variables and classes and registers the objects
// it makes; namespaces nest by name.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "script/object/ScriptObject.h"

namespace PM {

class ScriptClass_I;
class ScriptFunction_I;

class ScriptNamespace : public ScriptObject {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF007;

  // A new root namespace (count 0); nil when the script world is not started.
  static ScriptObject* Create(const String& name);

  // The run's result: a counted reference, nil when none.
  virtual ScriptObject* GetResult() const = 0;
  virtual void SetResult(ScriptObject* result) = 0;
  virtual String GetName() const = 0;
  virtual ScriptNamespace* GetParent() const = 0;  // null for a root
  // Slot 5: removes a global variable (a missing one is no error).
  virtual void RemoveVar(const String& name) = 0;
  // A child by name. With `first` (the first segment of a path) a name this namespace lacks is also
  // looked for among the children of its parent, its parent's parent, up to the root. Nil when absent.
  virtual ScriptObject* FindChild(const String& name, bool first) const = 0;
  // The child of that name, made when missing; nil for an empty name.
  virtual ScriptObject* GetOrCreateChild(const String& name) = 0;
  // The object registry; references are counted. Absent: nil.
  virtual ScriptObject* FindObject(const String& name) const = 0;
  virtual ScriptObject* FindObjectByHandle(uint32_t handle) const = 0;
  // Under a handle (0: appended to the unnamed objects); a handle or name registered again is replaced.
  virtual bool RegisterObject(ScriptObject* obj, uint32_t handle) = 0;
  // Under a name (empty: appended to the unnamed objects).
  virtual bool RegisterNamedObject(ScriptObject* obj, const String& name) = 0;
  virtual int32_t GetUnnamedObjectCount() const = 0;
  virtual ScriptObject* GetUnnamedObject(int32_t index) const = 0;  // nil outside
  // Slot 13: defines or replaces a global variable with a value block (or none). False for an empty name.
  virtual bool SetVar(ScriptObject* value, const String& name) = 0;
  // Slot 14: the variable's value block; null when the variable is not defined, nil when defined
  // without value.
  virtual ScriptObject* GetVar(const String& name) const = 0;
  // Functions of the namespace, newest first.
  virtual void AddFunction(ScriptFunction_I* fn) = 0;
  virtual ScriptFunction_I* FindFunction(const String& name) const = 0;
  // Slot 19: the class of that name, newest first; null when absent.
  virtual ScriptClass_I* FindClass(const String& name) const = 0;
  // Slot 22: appends a class.
  virtual void AddClass(ScriptClass_I* cls) = 0;

  // Ids of the namespace's classes and functions by name; 0 when absent.
  uint32_t FindClassIdByName(const String& name) const;
  uint32_t FindFunctionIdByName(const String& name) const;
  // A path of child names separated by ":" ("a:b"), each step a FindChild (the first with `first`);
  // an unknown step is logged and gives nil.
  ScriptObject* FindPath(const String& path) const;
};

}  // namespace PM
