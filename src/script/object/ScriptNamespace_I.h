// The implementation of ScriptNamespace.
#pragma once

#include "script/object/ScriptNamespace.h"
#include "script/object/ScriptNamespace_D.h"

namespace PM {

class ScriptNamespace_I : public ScriptNamespace {
 public:
  static const TypeRecord& GetTypeRecord();
  static ScriptNamespace_I* New(const String& name, ScriptNamespace_I* parent);
  ~ScriptNamespace_I();

  ScriptObject* GetResult() const override;
  void SetResult(ScriptObject* result) override;
  String GetName() const override { return m_d.name; }
  ScriptNamespace* GetParent() const override;
  void RemoveVar(const String& name) override;
  ScriptObject* FindChild(const String& name, bool first) const override;
  ScriptObject* GetOrCreateChild(const String& name) override;
  ScriptObject* FindObject(const String& name) const override;
  ScriptObject* FindObjectByHandle(uint32_t handle) const override;
  bool RegisterObject(ScriptObject* obj, uint32_t handle) override;
  bool RegisterNamedObject(ScriptObject* obj, const String& name) override;
  int32_t GetUnnamedObjectCount() const override;
  ScriptObject* GetUnnamedObject(int32_t index) const override;
  bool SetVar(ScriptObject* value, const String& name) override;
  ScriptObject* GetVar(const String& name) const override;
  void AddFunction(ScriptFunction_I* fn) override;
  ScriptFunction_I* FindFunction(const String& name) const override;
  ScriptClass_I* FindClass(const String& name) const override;
  void AddClass(ScriptClass_I* cls) override;

 private:
  // Lets go of what a name or handle held: at once, unless something else holds it too and it holds
  // objects itself (it may be in a cycle); then it is kept for the cycle collection at the end.
  void Retire(Obj<ScriptObject>& slot);
  // Binds a name (a named object or a global variable) to obj, retiring what it held.
  void Name(const String& name, ScriptObject* obj);

  ScriptNamespace_D m_d;
};

}  // namespace PM
