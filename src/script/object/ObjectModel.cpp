#include "script/object/ObjectModel.h"

#include <new>

#include "script/object/ScriptObject.h"
#include "script/object/ValueBox.h"

namespace PM {

void InitScriptObjectModel() {
  if (ClassDatabaseReady()) return;
  InitClassDatabase();
  RegisterBuiltinClasses();
  ScriptObject* nil = new (NilObject()) ScriptObject();
  HeaderOf(nil)->classRow = ClassRowOf(kClassNil);
}

void UninitScriptObjectModel() { UninitClassDatabase(); }

}  // namespace PM
