// The implementation of ScriptFunction.
#pragma once

#include "script/object/ScriptFunction.h"
#include "script/object/ScriptFunction_D.h"

namespace PM {

class ScriptFunction_I : public ScriptFunction {
 public:
  static const TypeRecord& GetTypeRecord();
  ~ScriptFunction_I();

  uint32_t GetFunctionID() const override { return m_d.id; }
  String GetName() const override { return m_d.name; }
  Obj<ScriptObject> Call(int32_t argc, ScriptObject** argv) override;

 private:
  friend class ScriptFunction;
  ScriptFunction_D m_d;
};

}  // namespace PM
