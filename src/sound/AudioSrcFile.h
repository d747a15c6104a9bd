// AudioSrcFile: a sound file opened by a sound module, with cache blocks that readers walk through.
// AudioSrcFile is the interface, AudioSrcFile_D the data part with its own operations (the module
// overrides Open, the small operations and Refill), AudioSrcFile_I joins them.
#pragma once

#include <cstdint>

#include "classes/InterfaceBase.h"
#include "core/Array.h"
#include "core/Obj.h"
#include "core/String.h"
#include "platform/ModuleLoader.h"
#include "sound/SoundTypes.h"

namespace PM {

class AudioSrcFile_D {
 public:
  // One reader over a cache block.
  struct CacheList {
    uint8_t* block = nullptr;  // null when the block could not be allocated: treated as empty
    uint32_t capacity = 0;     // bytes
    uint32_t available = 0;    // bytes left to read from `position`
    int32_t id = 0;
    uint32_t position = 0;   // read position in the block
    int64_t offset = 0;      // the block's first byte in the file
    bool ownsBlock = false;  // only the record that allocated a block frees it
    ~CacheList();
  };
  static constexpr uint32_t kBlockBytes = 88200;

  AudioSrcFile_D() = default;
  virtual ~AudioSrcFile_D() = default;
  AudioSrcFile_D(const AudioSrcFile_D&) = delete;
  AudioSrcFile_D& operator=(const AudioSrcFile_D&) = delete;

  /* 1 */ virtual bool Open(const char* fileName, CacheMode mode);
  /* 2 */ virtual uint32_t SampleBytes() const { return 0; }
  /* 3 */ virtual uint32_t ReadSamples(uint32_t offset, void* dst, uint32_t n) {
    (void)offset, (void)dst, (void)n;
    return 0;
  }
  /* 4 */ virtual void RewindFile() {}
  /* 5 */ virtual void CloseFile() {}
  /* 6 */ virtual int64_t SetCachePosition(int32_t id, int64_t p);
  /* 7 */ virtual int64_t SkipCache(int32_t id, int64_t n);
  /* 8 */ virtual int32_t AddModePointer();
  /* 9 */ virtual int32_t AddSharedModePointer();
  // 10: fills the record's block from its file offset; returns the bytes now available.
  /* 10 */ virtual int32_t Refill(int32_t id) {
    (void)id;
    return 0;
  }

  // The available bytes (high 32 bits) and the read point in the file (low 32 bits); -1 for no record.
  int64_t CacheReport(int32_t id) const;
  CacheList* FindCache(int32_t id) const;
  int32_t CacheCount() const { return m_caches.Count(); }

  String m_fileName;
  float m_duration = 0;  // seconds
  uint32_t m_sampleRate = 0;
  uint16_t m_bitsPerSample = 0;
  uint8_t m_channels = 0;
  uint8_t m_frameBytes = 0;
  CacheMode m_cacheMode = kCacheNone;
  int32_t m_nextCacheId = 0;
  ModuleHandle m_module = nullptr;
  Array<Ptr<CacheList>> m_caches;

 private:
  CacheList* Append();
  int32_t Fill(CacheList* c);
};

class AudioSrcFile : public InterfaceBase {
 public:
  /* 1 */ virtual float GetDuration() const = 0;
  /* 2 */ virtual uint32_t GetSampleRate() const = 0;
  /* 3 */ virtual uint16_t GetBitsPerSample() const = 0;
  /* 4 */ virtual uint8_t GetChannels() const = 0;
  /* 5 */ virtual uint8_t GetFrameBytes() const = 0;
  /* 6 */ virtual uint32_t GetDataBytes() const = 0;
  /* 7 */ virtual uint32_t ReadData(uint32_t offset, void* dst, uint32_t n) = 0;
  /* 8 */ virtual void Rewind() = 0;
  /* 9 */ virtual void Close() = 0;
  /* 10 */ virtual int64_t SetPosition(int32_t id, int64_t p) = 0;
  /* 11 */ virtual int64_t Report(int32_t id) const = 0;
  /* 12 */ virtual int64_t Skip(int32_t id, int64_t n) = 0;
  /* 13 */ virtual CacheMode GetCacheMode() const = 0;

  // A new audio source of `fileName` from the DirectSound module (see the logged messages), or null;
  // `size` receives what the module reports (the sample bytes).
  static AudioSrcFile* Create(const char* fileName, uint32_t& size, CacheMode mode);

 protected:
  ~AudioSrcFile() = default;
};

// The base of the modules' audio sources: the interface answered from the data part.
class AudioSrcFile_I : public AudioSrcFile, public AudioSrcFile_D {
 public:
  float GetDuration() const override { return m_duration; }
  uint32_t GetSampleRate() const override { return m_sampleRate; }
  uint16_t GetBitsPerSample() const override { return m_bitsPerSample; }
  uint8_t GetChannels() const override { return m_channels; }
  uint8_t GetFrameBytes() const override { return m_frameBytes; }
  uint32_t GetDataBytes() const override { return SampleBytes(); }
  uint32_t ReadData(uint32_t offset, void* dst, uint32_t n) override { return ReadSamples(offset, dst, n); }
  void Rewind() override { RewindFile(); }
  void Close() override { CloseFile(); }
  int64_t SetPosition(int32_t id, int64_t p) override { return SetCachePosition(id, p); }
  int64_t Report(int32_t id) const override { return CacheReport(id); }
  int64_t Skip(int32_t id, int64_t n) override { return SkipCache(id, n); }
  CacheMode GetCacheMode() const override { return m_cacheMode; }
};

}  // namespace PM
