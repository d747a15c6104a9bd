#include "render/VideoModule.h"

#include <mutex>
#include <unordered_map>

#include "core/Log.h"
#include "platform/ModuleLoader.h"

namespace PM {

namespace {

// An object made by the module frees its module after its own destroy function (module code) returned:
// the block's type record is hooked, and the module each object holds is kept beside it.
std::mutex g_hookMutex;
std::unordered_map<const TypeRecord*, DestroyFn> g_moduleDestroy;  // the record's destroy before the hook
std::unordered_map<const void*, ModuleHandle> g_objectModule;

void ModuleObjectDestroy(void* payload) {
  DestroyFn destroy = nullptr;
  ModuleHandle module = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    destroy = g_moduleDestroy[HeaderOf(payload)->type];
    auto it = g_objectModule.find(payload);
    if (it != g_objectModule.end()) module = it->second, g_objectModule.erase(it);
  }
  destroy(payload);
  if (module) Module::Free(module);
}

void HoldModule(const void* object, ModuleHandle module) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  auto* record = const_cast<TypeRecord*>(HeaderOf(object)->type);
  // A record hooked before keeps its hook: remembering the hook as its own predecessor would recurse. A
  // record at an address an unloaded module used before is new and is hooked afresh.
  if (record->destroy != &ModuleObjectDestroy) {
    g_moduleDestroy[record] = record->destroy;
    record->destroy = &ModuleObjectDestroy;
  }
  g_objectModule[object] = module;
}

// Loads the module (every call, as the module's own reference count keeps it once), resolves `symbol` and
// calls it; the result holds the module, which is freed again when there is no result.
template <class T, class Fn, class... A>
Ptr<T> CallFactory(const char* symbol, const char* unresolved, A... args) {
  ModuleHandle module = Module::Load(kVideoModuleName);
  if (!module) return nullptr;
  auto factory = reinterpret_cast<Fn>(Module::Symbol(module, symbol));
  if (!factory) {
    LogError(unresolved);
    Module::Free(module);
    return nullptr;
  }
  T* made = factory(args...);
  if (!made) {
    Module::Free(module);
    return nullptr;
  }
  HoldModule(made, module);
  return Ptr<T>(made);
}

}  // namespace

Ptr<MovieRecorder> CreateMovieRecorder() {
  return CallFactory<MovieRecorder, CreateMovieRecorderFn>("CreateMovieRecorder",
                                                           "MovieRecorder::CreateMovieRecorder: function unresolved.");
}

Ptr<VideoDecoder> CreateVideoDecoderExtension(const char* extension) {
  return CallFactory<VideoDecoder, CreateVideoDecoderExtensionFn>(
      "CreateVideoDecoderExtension", "VideoDecoder::CreateVideoDecoderExtension: function unresolved.",
      extension ? extension : "");
}

Ptr<VideoTranscoder> CreateVideoTranscoder() {
  return CallFactory<VideoTranscoder, CreateVideoTranscoderFn>(
      "CreateVideoTranscoder", "VideoTranscoder::CreateVideoTranscoder: function unresolved.");
}

}  // namespace PM
