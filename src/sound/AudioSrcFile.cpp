#include "sound/AudioSrcFile.h"

#include "core/Log.h"
#include "platform/LastError.h"
#include "platform/VirtualMemory.h"
#include "sound/SoundModule.h"

namespace PM {

namespace {
constexpr const char* kCreate = "AudioSrcFile::Create";
constexpr const char* kFactory = "?CreateAudioSrcFileWindows@PM@@YAPAVAudioSrcFile@1@PBDAAIW4CacheMode@21@@Z";
using FileFactory = AudioSrcFile* (*)(const char*, uint32_t&, CacheMode);
}  // namespace

AudioSrcFile_D::CacheList::~CacheList() {
  if (ownsBlock && block) VirtualRelease(block, capacity);
}

bool AudioSrcFile_D::Open(const char*, CacheMode) {
  m_cacheMode = kCacheWhole;
  return false;
}

AudioSrcFile_D::CacheList* AudioSrcFile_D::Append() {
  Ptr<CacheList> record(NewCounted<CacheList>());
  m_caches.Append(record);
  return record.Get();
}

// A record without a block is empty: the module is never asked to fill it.
int32_t AudioSrcFile_D::Fill(CacheList* c) {
  if (c->block == nullptr) {
    c->available = 0;
    return 0;
  }
  return Refill(c->id);
}

AudioSrcFile_D::CacheList* AudioSrcFile_D::FindCache(int32_t id) const {
  for (int i = 0; i < m_caches.Count(); ++i) {
    if (m_caches.Data()[i]->id == id) return m_caches.Data()[i].Get();
  }
  return nullptr;
}

int32_t AudioSrcFile_D::AddModePointer() {
  int index = m_caches.Count();
  CacheList* c = Append();
  c->block = static_cast<uint8_t*>(VirtualAllocCommitted(kBlockBytes));
  if (c->block == nullptr) {
    uint32_t code = GetLastErrorCode();
    LogError("AudioSrcFile_D::AddModePointer: can't alloc memory for cache[", int32_t(index), "].");
    LogError("    Error:", ErrorText(code).c_str());
  } else {
    c->capacity = kBlockBytes;
    c->ownsBlock = true;
  }
  c->id = m_nextCacheId++;
  Fill(c);
  return c->id;
}

int32_t AudioSrcFile_D::AddSharedModePointer() {
  if (m_caches.Count() == 0) return AddModePointer();
  CacheList* first = m_caches.Data()[0].Get();
  CacheList* c = Append();
  c->block = first->block;
  c->capacity = first->capacity;
  c->available = first->available;
  c->id = m_nextCacheId++;
  Fill(c);
  return c->id;
}

int64_t AudioSrcFile_D::SetCachePosition(int32_t id, int64_t p) {
  CacheList* c = FindCache(id);
  if (c == nullptr || p < 0) return -1;
  if (m_cacheMode == kCacheStreamed) {
    c->offset = p;
    c->position = 0;
    return Fill(c) < 1 ? -1 : p;
  }
  if (m_cacheMode == kCacheWhole) {
    if (p > c->capacity) p = c->capacity;
    c->position = uint32_t(p);
    c->available = c->capacity - uint32_t(p);
    return p;
  }
  return -1;
}

int64_t AudioSrcFile_D::SkipCache(int32_t id, int64_t n) {
  CacheList* c = FindCache(id);
  if (c == nullptr || n < 0) return -1;
  if (m_cacheMode == kCacheStreamed) {
    if (n <= c->available / 2) {
      c->available -= uint32_t(n);
      c->position += uint32_t(n);
      return c->offset + c->position;
    }
    c->offset += c->position + n;
    c->position = 0;
    return Fill(c) < 1 ? -1 : c->offset;
  }
  if (m_cacheMode == kCacheWhole) {
    if (n <= c->available) {
      c->position += uint32_t(n);
      c->available -= uint32_t(n);
      return c->position;
    }
    c->position = c->capacity;
    c->available = 0;
    return c->capacity;
  }
  return -1;
}

int64_t AudioSrcFile_D::CacheReport(int32_t id) const {
  CacheList* c = FindCache(id);
  if (c == nullptr) return -1;
  int64_t at = c->offset + c->position;  // the file position of the next byte to read
  return int64_t(uint64_t(c->available) << 32 | uint32_t(at));
}

AudioSrcFile* AudioSrcFile::Create(const char* fileName, uint32_t& size, CacheMode mode) {
  std::string kind;
  ModuleHandle module = SoundModule::LoadDirectSound(kCreate, true, kind);
  if (module == nullptr) return nullptr;
  auto factory = reinterpret_cast<FileFactory>(SoundModule::Resolve(module, kFactory, kCreate, kind));
  if (factory == nullptr) return nullptr;
  AudioSrcFile* file = factory(fileName, size, mode);
  if (file == nullptr) {
    Module::Free(module);
    return nullptr;
  }
  SoundModule::HookAudioSrcFile(static_cast<AudioSrcFile_I*>(file), module);
  return file;
}

}  // namespace PM
