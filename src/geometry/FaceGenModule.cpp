#include "geometry/FaceGenModule.h"

#include "core/Log.h"
#include "core/String.h"
#include "platform/ModuleLoader.h"

namespace PM {

FaceGenModule* FaceGenModule::CreateFaceGenModule() {
  const String moduleName = String::FromConcatCStr(String::FromConcatCStr("Pelmora", "010276"), "FG.DLL");
  // Never freed: the objects it made are destroyed through its code.
  ModuleHandle module = Module::Load(moduleName.CStr());
  if (!module) {
    LogError("FaceGenModule::CreateFaceGenModule(\"", moduleName, "\"): DLL load failed.");
    return nullptr;
  }
  auto factory = reinterpret_cast<FaceGenModuleFactory>(Module::Symbol(module, "CreateFaceGenModule"));
  if (!factory) {
    LogError("FaceGenModule::CreateFaceGenModule(\"", moduleName, "\"): function unresolved.");
    return nullptr;
  }
  return factory();
}

}  // namespace PM
