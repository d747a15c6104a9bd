// The private data of a ScriptNamespace_I.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Obj.h"
#include "core/String.h"

namespace PM {

class ScriptNamespace_I;
class ScriptClass_I;
class ScriptFunction_I;
class ScriptObject;

struct ScriptNamespace_D {
  String name;
  ScriptNamespace_I* parent = nullptr;  // a back link: the parent holds its children
  Obj<ScriptObject> result;
  std::map<std::string, Obj<ScriptNamespace_I>> children;
  std::vector<Obj<ScriptClass_I>> classes;       // in the order added
  std::vector<Obj<ScriptFunction_I>> functions;  // in the order added
  // Global variables are named objects too (their values are boxed), so a script reads ":x" either way.
  std::unordered_map<std::string, Obj<ScriptObject>> named;
  std::unordered_map<uint32_t, Obj<ScriptObject>> handles;
  std::vector<Obj<ScriptObject>> unnamed;
};

}  // namespace PM
