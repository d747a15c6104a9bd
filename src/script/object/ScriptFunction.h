// ScriptFunction: a named function of a namespace, called through its entry in the global function table.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/ScriptObject.h"

namespace PM {

class ScriptFunction : public ScriptObject {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF004;

  // A new function (count 0) in the first free run-time entry of the global table; nil, logged, when
  // the table is full or the name or function is missing.
  static ScriptObject* Create(const String& name, GlobalFunctionFn fn);

  virtual uint32_t GetFunctionID() const = 0;
  virtual String GetName() const = 0;
  virtual Obj<ScriptObject> Call(int32_t argc, ScriptObject** argv) = 0;
};

}  // namespace PM
