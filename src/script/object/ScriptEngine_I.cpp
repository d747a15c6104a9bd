#include "script/object/ScriptEngine_I.h"

#include <atomic>
#include <string>

#include "core/Log.h"
#include "platform/InertText.h"
#include "storage/Storage.h"

namespace PM {

namespace {

std::atomic<ScriptStreamParser> g_parser{nullptr};

bool IsAbsolute(std::string_view name) { return name.starts_with("/") || name.starts_with("http://"); }

// The folder part of a path with its "/", or empty.
String FolderOf(const String& path) {
  size_t slash = path.View().rfind('/');
  return slash == std::string_view::npos ? String() : String(path.View().substr(0, slash + 1));
}

}  // namespace

void SetScriptStreamParser(ScriptStreamParser parser) { g_parser.store(parser, std::memory_order_release); }
ScriptStreamParser GetScriptStreamParser() { return g_parser.load(std::memory_order_acquire); }

String ScriptEngine::CompiledName(const String& name) {
  std::string_view n = name.View();
  size_t slash = n.rfind('/');
  size_t dot = n.rfind('.');
  std::string_view stem =
      dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash) ? n.substr(0, dot) : n;
  std::string_view ext = n.substr(stem.size());
  return String((std::string(stem) + (ext == ".bh" ? ".[bhb]" : ".[bsb]")).c_str());
}

const TypeRecord& ScriptEngine_I::GetTypeRecord() {
  static TypeRecord t("ScriptEngine", sizeof(ScriptEngine_I), DestroyScriptObject<ScriptEngine_I>);
  return t;
}

ScriptObject* ScriptEngine::Create() {
  if (!ClassExists(kClassId)) {
    LogError("ScriptEngine::Create: the script world is not started.");
    return NilScriptObject();
  }
  auto* e = NewScriptObject<ScriptEngine_I>(ScriptEngine_I::GetTypeRecord(), kClassId);
  e->m_d.ns = static_cast<ScriptNamespace*>(ScriptNamespace::Create(String()));
  return e;
}

void ScriptEngine_I::SetProgress(ScriptProgress* progress) { m_d.progress = progress; }

ScriptProgress* ScriptEngine_I::GetProgress() const { return m_d.progress.IsNil() ? nullptr : m_d.progress.Get(); }

void ScriptEngine_I::SetNamespace(ScriptNamespace* ns) {
  if (!ns || IsNilObject(ns)) {
    LogError("ScriptEngine::SetNamespace: an engine needs a namespace; the current one stays.");
    return;
  }
  m_d.ns = ns;
}

Obj<ScriptObject> ScriptEngine_I::LoadFile(const String& name, uint32_t mode, uint32_t flags) {
  if (name.IsEmpty()) {
    LogError("ScriptEngine::LoadFile: no file name.");
    return Obj<ScriptObject>();
  }
  if (name.View().find('\0') != std::string_view::npos) {
    // The file system would read the name only to the NUL, past the ending that picks the compiled form.
    LogError("ScriptEngine::LoadFile: the file name \"", InertText(name.View()).c_str(),
             "\" holds a NUL byte; it is not run.");
    return Obj<ScriptObject>();
  }
  if (mode & Storage::kWrite) {
    LogError("ScriptEngine::LoadFile: mode 0x", Hex{mode}, " is not a read mode (\"", InertText(name.View()).c_str(),
             "\").");
    return Obj<ScriptObject>();
  }
  String readPath = Storage::GetReadPath();
  String path = IsAbsolute(name.View()) || readPath.IsEmpty() ? name : String::FromConcat(readPath, name);
  String compiled = CompiledName(path);
  ScriptStreamParser parser = GetScriptStreamParser();
  if (!parser) {
    LogError("ScriptEngine::LoadFile: no script parser is installed; \"", InertText(compiled.View()).c_str(),
             "\" is not run.");
    return Obj<ScriptObject>();
  }
  String found;
  StreamPipeRef stream(Storage::OpenStream(compiled, mode, found));
  // A missing file still goes to the parser, which reports it in its own words.
  ReadPathScope scope(FolderOf(found.IsEmpty() ? path : found));
  Obj<ScriptNamespace> ns(m_d.ns);  // the run keeps its namespace even if the engine switches
  return parser(this, stream.Get(), found.IsEmpty() ? compiled : found, flags);
}

}  // namespace PM
