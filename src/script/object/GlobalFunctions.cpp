#include "script/object/GlobalFunctions.h"

#include <array>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "core/Log.h"
#include "platform/CriticalSection.h"
#include "script/object/ScriptObject.h"

namespace PM {

namespace {

struct Entry {
  GlobalFunctionFn fn = nullptr;
  std::string name;
  bool global = false;  // in the name hash (namespace functions are not)
};

struct FunctionTable {
  CriticalSection lock;
  std::array<Entry, kGlobalFunctionCount> entries;
  std::unordered_map<std::string, uint32_t> names;
  bool hashed = false;
};

FunctionTable& Table() {
  static FunctionTable* t = new FunctionTable;  // outlives every static that may still call
  return *t;
}

bool Fill(FunctionTable& t, uint32_t id, const char* name, GlobalFunctionFn fn, bool global) {
  Entry& e = t.entries[id];
  e.fn = fn;
  e.name = name;
  e.global = global;
  if (global && t.hashed) t.names[e.name] = id;
  return true;
}

}  // namespace

bool SetGlobalFunction(uint32_t id, const char* name, GlobalFunctionFn fn) {
  if (id == 0 || id >= kGlobalFunctionCount || !name || !*name || !fn) {
    LogError("SetGlobalFunction: invalid function 0x", Hex{id, 4}, " \"", name ? name : "", "\".");
    return false;
  }
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  if (t.entries[id].fn) {
    LogError("SetGlobalFunction: function 0x", Hex{id, 4}, " is already \"", t.entries[id].name.c_str(), "\".");
    return false;
  }
  return Fill(t, id, name, fn, true);
}

uint32_t AllocateFunctionID(const char* name, GlobalFunctionFn fn) {
  if (!name || !fn) return 0;
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  for (uint32_t id = kFirstRuntimeFunction; id < kGlobalFunctionCount; ++id)
    if (!t.entries[id].fn) return Fill(t, id, name, fn, false), id;
  return 0;
}

void ClearGlobalFunction(uint32_t id) {
  if (id == 0 || id >= kGlobalFunctionCount) return;
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  Entry& e = t.entries[id];
  auto it = t.names.find(e.name);
  if (it != t.names.end() && it->second == id) t.names.erase(it);
  e = Entry{};
}

const char* GlobalFunctionName(uint32_t id) {
  if (id >= kGlobalFunctionCount) return "";
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  return t.entries[id].name.c_str();  // entries are cleared only at shutdown or by their owner
}

Obj<ScriptObject> CallGlobalFunction(uint32_t id, int32_t argc, ScriptObject** argv) {
  GlobalFunctionFn fn = nullptr;
  if (id < kGlobalFunctionCount) {
    FunctionTable& t = Table();
    CriticalSectionLock guard(t.lock);
    fn = t.entries[id].fn;
  }
  if (!fn) {
    LogError("CallGlobalFunction: no function 0x", Hex{id, 4}, ".");
    return Obj<ScriptObject>();
  }
  if (argc < 0 || (argc > 0 && !argv)) {
    ReportInvalidArguments(id);
    return Obj<ScriptObject>();
  }
  return fn(id, argc, argv);
}

namespace {
thread_local InvalidArgumentsCatch* t_catch = nullptr;
}  // namespace

InvalidArgumentsCatch::InvalidArgumentsCatch() : m_outer(t_catch) { t_catch = this; }
InvalidArgumentsCatch::~InvalidArgumentsCatch() { t_catch = m_outer; }

std::string InvalidArgumentsCatch::Message(uint32_t id) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%04X", id);
  return std::string("CallGlobalFunction: invalid arguments for function 0x") + hex + " \"" + GlobalFunctionName(id) +
         "\".";
}

void ReportInvalidArguments(uint32_t id) {
  if (t_catch) {
    t_catch->m_caught = true;
    return;
  }
  LogError(InvalidArgumentsCatch::Message(id).c_str());
}

uint32_t FindFunctionID(const char* name) {
  if (!name) return 0;
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  auto it = t.names.find(name);
  return it == t.names.end() ? 0 : it->second;
}

void BuildFunctionNameHash() {
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  t.names.clear();
  for (uint32_t id = 1; id < kGlobalFunctionCount; ++id)
    if (t.entries[id].fn && t.entries[id].global) t.names.emplace(t.entries[id].name, id);
  t.hashed = true;
}

void ClearFunctionNameHash() {
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  t.names.clear();
  t.hashed = false;
}

void ClearGlobalFunctions() {
  FunctionTable& t = Table();
  CriticalSectionLock guard(t.lock);
  for (Entry& e : t.entries) e = Entry{};
  t.names.clear();
  t.hashed = false;
}

}  // namespace PM
