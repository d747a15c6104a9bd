// The implementation of ScriptEngine.
#pragma once

#include "script/object/ScriptEngine.h"
#include "script/object/ScriptEngine_D.h"

namespace PM {

class ScriptEngine_I : public ScriptEngine {
 public:
  static const TypeRecord& GetTypeRecord();

  void SetProgress(ScriptProgress* progress) override;
  ScriptProgress* GetProgress() const override;
  Obj<ScriptObject> LoadFile(const String& name, uint32_t mode, uint32_t flags) override;
  void SetNamespace(ScriptNamespace* ns) override;
  ScriptNamespace* GetNamespace() const override { return m_d.ns; }

 private:
  friend class ScriptEngine;
  ScriptEngine_D m_d;
};

}  // namespace PM
