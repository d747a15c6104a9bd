// Loading sibling modules by their file names and resolving their functions.
// "Name.DLL" is looked for as "Name.so" beside the engine library (or in $PM_MODULE_DIR), then in the
// engine's installed module folder ("pelmora" beside it), then on the loader's path; a decorated function
// name that is not found is looked up by its plain identifier.
#pragma once

#include <string>

namespace PM {

using ModuleHandle = void*;

class Module {
 public:
  // The loaded module, or null (last error ENOENT, logged at Debug level with the loader's reason).
  static ModuleHandle Load(const char* fileName);
  // The address of a function or variable, or null (last error ENOENT, logged at Debug level).
  static void* Symbol(ModuleHandle module, const char* name);
  static bool Free(ModuleHandle module);

  // The folder holding the engine library, without a trailing slash.
  static std::string EngineFolder();
  // Where sibling modules are looked for first: $PM_MODULE_DIR when set, else the engine's folder.
  static std::string ModuleFolder();
  // Where they are looked for next: the folder an install puts them in, beside the engine library (the
  // build tree keeps them beside it).
  static std::string InstalledModuleFolder();
  static constexpr const char* kInstalledModuleFolderName = "pelmora";
  // The file name a module is looked for under: a ".dll" ending (any case) becomes ".so".
  static std::string FileNameFor(const char* fileName);
  // The identifier inside a decorated name ("?Create@PM@@YAXXZ", "_Create@8", "@Create@8"), or
  // empty when the name carries no decoration.
  static std::string PlainIdentifier(const char* name);
};

}  // namespace PM
