#include "storage/ResourceStream.h"

#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "core/Log.h"
#include "storage/Streams.h"

namespace PM {

namespace {

struct Registry {
  std::mutex lock;
  std::map<std::string, std::pair<const void*, size_t>> blobs;
};

Registry& Resources() {
  static Registry* r = new Registry;  // lives as long as the library: blobs are registered at start-up
  return *r;
}

std::string Key(const char* name) {
  std::string k(name ? name : "");
  for (char& c : k) c = char(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

}  // namespace

void RegisterResource(const char* name, const void* bytes, size_t n) {
  Registry& r = Resources();
  std::lock_guard<std::mutex> hold(r.lock);
  r.blobs[Key(name)] = {bytes, bytes ? n : 0};
}

StreamPipe* OpenResourceStream(const char* name) {
  Registry& r = Resources();
  std::lock_guard<std::mutex> hold(r.lock);
  auto it = r.blobs.find(Key(name));
  if (it == r.blobs.end()) {
    LogError("ResourceStream: no resource named \"", name ? name : "", "\".");
    return NullPipe();
  }
  return NewCounted<ResourceStream>(it->second.first, it->second.second);
}

}  // namespace PM
