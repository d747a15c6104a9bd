// The private data of a ScriptNamespace_I.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Obj.h"
#include "core/String.h"

namespace PM {

class ScriptNamespace_I;
class ScriptClass_I;
class ScriptFunction_I;
class ScriptObject;

// Looks names up by string_view, so a look-up makes no std::string.
struct NameKeyHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
template <typename T>
using NameMap = std::unordered_map<std::string, T, NameKeyHash, std::equal_to<>>;

struct ScriptNamespace_D {
  String name;
  ScriptNamespace_I* parent = nullptr;  // a back link: the parent holds its children
  Obj<ScriptObject> result;
  std::map<std::string, Obj<ScriptNamespace_I>, std::less<>> children;
  std::vector<Obj<ScriptClass_I>> classes;       // in the order added
  std::vector<Obj<ScriptFunction_I>> functions;  // in the order added
  // Global variables are named objects too (their values are boxed), so a script reads ":x" either way.
  NameMap<Obj<ScriptObject>> named;
  std::unordered_map<uint32_t, Obj<ScriptObject>> handles;
  std::vector<Obj<ScriptObject>> unnamed;
  // Objects a name or handle let go of while something else still held them: perhaps only a cycle
  // through themselves, which the namespace's end takes apart with the rest.
  std::vector<Obj<ScriptObject>> replaced;
};

}  // namespace PM
