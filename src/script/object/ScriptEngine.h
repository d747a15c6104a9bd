// ScriptEngine: loads compiled scripts by name through Storage and runs them in its current namespace.
// The script language plugs its stream parser in through SetScriptStreamParser, so this layer does not
// depend on it.
#pragma once

#include <cstdint>

#include "core/StreamPipe.h"
#include "core/String.h"
#include "script/object/ScriptNamespace.h"
#include "script/object/ScriptObject.h"

namespace PM {

// Told how far a run has got.
class ScriptProgress : public ScriptObject {
 public:
  virtual void SetFraction(float fraction) = 0;  // 0 to 1
};

class ScriptEngine : public ScriptObject {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF039;

  // A new engine (count 0) with a new root namespace; nil when the script world is not started.
  static ScriptObject* Create();

  virtual void SetProgress(ScriptProgress* progress) = 0;
  // Slot 2: the progress object, or null.
  virtual ScriptProgress* GetProgress() const = 0;
  // Slot 3: loads and runs the compiled form of the named script and returns the run's result (nil when
  // nothing ran). `mode` is Storage's open mode (1 reads, 0x10000001 reads without reporting a missing
  // file); `flags` go to the parser. A relative name is looked for under the current read path, and
  // during the run the read path is the script's folder.
  virtual Obj<ScriptObject> LoadFile(const String& name, uint32_t mode, uint32_t flags) = 0;
  virtual void SetNamespace(ScriptNamespace* ns) = 0;
  // Slot 14: the namespace runs define their classes and variables in.
  virtual ScriptNamespace* GetNamespace() const = 0;

  // The name the compiled form is opened by: "x.bh" gives "x.[bhb]", any other "x.e" or "x" gives
  // "x.[bsb]" (multipart names that Storage expands).
  static String CompiledName(const String& name);
};

// Runs a script stream for an engine: (engine, stream, script name, flags) -> the run's result.
using ScriptStreamParser = Obj<ScriptObject> (*)(ScriptEngine* engine, StreamPipe* stream, const String& name,
                                                 uint32_t flags);
void SetScriptStreamParser(ScriptStreamParser parser);
ScriptStreamParser GetScriptStreamParser();

}  // namespace PM
