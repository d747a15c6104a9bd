#include "script/object/ScriptNamespace_I.h"

#include <string>

#include "core/Log.h"
#include "platform/InertText.h"
#include "script/object/ObjectCycles.h"
#include "script/object/ScriptClass_I.h"
#include "script/object/ScriptFunction_I.h"

namespace PM {

namespace {
std::string_view Key(const String& s) { return s.View(); }
bool IsObject(const ScriptObject* obj) { return obj && !IsNilObject(obj); }
}  // namespace

const TypeRecord& ScriptNamespace_I::GetTypeRecord() {
  static TypeRecord t("ScriptNamespace", sizeof(ScriptNamespace_I), DestroyScriptObject<ScriptNamespace_I>);
  return t;
}

ScriptNamespace_I* ScriptNamespace_I::New(const String& name, ScriptNamespace_I* parent) {
  auto* ns = NewScriptObject<ScriptNamespace_I>(GetTypeRecord(), kClassId);
  ns->m_d.name = name;
  ns->m_d.parent = parent;
  return ns;
}

ScriptObject* ScriptNamespace::Create(const String& name) {
  if (!ClassExists(kClassId)) {
    LogError("ScriptNamespace::Create: the script world is not started.");
    return NilScriptObject();
  }
  return ScriptNamespace_I::New(name, nullptr);
}

ScriptNamespace_I::~ScriptNamespace_I() {
  for (auto& [name, child] : m_d.children) child->m_d.parent = nullptr;  // children held elsewhere live on
  // Objects that refer to themselves or to each other would outlive the namespace that named them.
  std::vector<ScriptObject*> held;
  held.push_back(m_d.result);
  for (const auto& [name, o] : m_d.named) held.push_back(o);
  for (const auto& [handle, o] : m_d.handles) held.push_back(o);
  for (const Obj<ScriptObject>& o : m_d.unnamed) held.push_back(o);
  for (const Obj<ScriptObject>& o : m_d.replaced) held.push_back(o);
  ReleaseObjectCycles(held);
}

ScriptObject* ScriptNamespace_I::GetResult() const { return m_d.result; }
void ScriptNamespace_I::SetResult(ScriptObject* result) { m_d.result = result; }
ScriptNamespace* ScriptNamespace_I::GetParent() const { return m_d.parent; }

void ScriptNamespace_I::Retire(Obj<ScriptObject>& slot) {
  Obj<ScriptObject> old = std::move(slot);
  // Held by something else and holding objects itself: perhaps only through a cycle back to it. Only a
  // walk can tell, and a walk per replacement would cost what the object reaches each time, so such
  // objects wait for the one walk at the end.
  if (IsObject(old) && BlockRefCount(old.Get()) > 1 && HoldsObjectReferences(old.Get()))
    m_d.replaced.push_back(std::move(old));
}

void ScriptNamespace_I::Name(const String& name, ScriptObject* obj) {
  auto it = m_d.named.find(Key(name));
  if (it == m_d.named.end()) {
    m_d.named.emplace(std::string(Key(name)), obj);
    return;
  }
  if (it->second.Get() != obj) Retire(it->second);
  it->second = obj;
}

void ScriptNamespace_I::RemoveVar(const String& name) {
  auto it = m_d.named.find(Key(name));
  if (it == m_d.named.end()) return;
  Retire(it->second);
  m_d.named.erase(it);
}

ScriptObject* ScriptNamespace_I::FindChild(const String& name, bool first) const {
  for (const ScriptNamespace_I* ns = this; ns; ns = first ? ns->m_d.parent : nullptr) {
    auto it = ns->m_d.children.find(Key(name));
    if (it != ns->m_d.children.end()) return it->second;
  }
  return NilScriptObject();
}

ScriptObject* ScriptNamespace_I::GetOrCreateChild(const String& name) {
  if (name.IsEmpty()) {
    LogError("ScriptNamespace::GetOrCreateChild: a namespace needs a name.");
    return NilScriptObject();
  }
  Obj<ScriptNamespace_I>& child = m_d.children[std::string(Key(name))];
  if (child.IsNil()) child = New(name, this);
  return child;
}

ScriptObject* ScriptNamespace_I::FindObject(const String& name) const {
  auto it = m_d.named.find(Key(name));
  return it == m_d.named.end() ? NilScriptObject() : it->second.Get();
}

ScriptObject* ScriptNamespace_I::FindObjectByHandle(uint32_t handle) const {
  auto it = m_d.handles.find(handle);
  return it == m_d.handles.end() ? NilScriptObject() : it->second.Get();
}

bool ScriptNamespace_I::RegisterObject(ScriptObject* obj, uint32_t handle) {
  if (!IsObject(obj)) {
    LogError("ScriptNamespace::RegisterObject: no object to register under handle ", handle, ".");
    return false;
  }
  if (handle == 0) {
    m_d.unnamed.emplace_back(obj);
    return true;
  }
  Obj<ScriptObject>& slot = m_d.handles[handle];
  if (slot.Get() != obj) Retire(slot);
  slot = obj;
  return true;
}

bool ScriptNamespace_I::RegisterNamedObject(ScriptObject* obj, const String& name) {
  if (!IsObject(obj)) {
    LogError("ScriptNamespace::RegisterNamedObject: no object to register as \"", name, "\".");
    return false;
  }
  if (name.IsEmpty()) {
    m_d.unnamed.emplace_back(obj);
    return true;
  }
  Name(name, obj);
  return true;
}

int32_t ScriptNamespace_I::GetUnnamedObjectCount() const { return int32_t(m_d.unnamed.size()); }

ScriptObject* ScriptNamespace_I::GetUnnamedObject(int32_t index) const {
  if (index < 0 || index >= int32_t(m_d.unnamed.size())) return NilScriptObject();
  return m_d.unnamed[size_t(index)];
}

bool ScriptNamespace_I::SetVar(ScriptObject* value, const String& name) {
  if (name.IsEmpty()) {
    LogError("ScriptNamespace::SetVar: a global variable needs a name.");
    return false;
  }
  Name(name, value);
  return true;
}

ScriptObject* ScriptNamespace_I::GetVar(const String& name) const {
  auto it = m_d.named.find(Key(name));
  return it == m_d.named.end() ? nullptr : it->second.Get();
}

void ScriptNamespace_I::AddFunction(ScriptFunction_I* fn) {
  if (IsObject(fn)) m_d.functions.emplace_back(fn);
}

ScriptFunction_I* ScriptNamespace_I::FindFunction(const String& name) const {
  for (auto f = m_d.functions.rbegin(); f != m_d.functions.rend(); ++f)
    if (String::Equals((*f)->GetName(), name)) return *f;
  return nullptr;
}

ScriptClass_I* ScriptNamespace_I::FindClass(const String& name) const {
  for (auto c = m_d.classes.rbegin(); c != m_d.classes.rend(); ++c)
    if (String::Equals((*c)->GetName(), name)) return *c;
  return nullptr;
}

void ScriptNamespace_I::AddClass(ScriptClass_I* cls) {
  if (IsObject(cls)) m_d.classes.emplace_back(cls);
}

uint32_t ScriptNamespace::FindClassIdByName(const String& name) const {
  ScriptClass_I* c = FindClass(name);
  return c ? c->GetClassID() : 0;
}

uint32_t ScriptNamespace::FindFunctionIdByName(const String& name) const {
  ScriptFunction_I* f = FindFunction(name);
  return f ? f->GetFunctionID() : 0;
}

ScriptObject* ScriptNamespace::FindPath(const String& path) const {
  std::string_view rest = path.View();
  ScriptObject* ns = const_cast<ScriptNamespace*>(this);
  bool first = true;
  while (!rest.empty()) {
    size_t colon = rest.find(':');
    std::string_view step = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (step.empty()) continue;
    ns = static_cast<ScriptNamespace*>(ns)->FindChild(String(step), first);
    first = false;
    if (IsNilObject(ns)) {
      LogError("ScriptNamespace::FindPath: unknown namespace \"", InertText(step).c_str(), "\" in \"",
               InertText(path.View()).c_str(), "\".");
      return ns;
    }
  }
  return ns;
}

}  // namespace PM
