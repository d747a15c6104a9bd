// The script world's start-up: the stages of DLLInitialize that build the object model's tables, the
// built-in classes and functions and the name hashes, and their teardown on the last DLLDeInitialize.
#pragma once

namespace PM {

// Defines ScriptClass, ScriptFunction, ScriptNamespace and ScriptEngine in the class table.
void RegisterScriptWorldClasses();

}  // namespace PM
