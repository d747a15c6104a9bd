// The sound front end: choosing and loading the modules with their messages, the module's lifetime
// tied to its objects, the receiver singleton, audio sources and their cache blocks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "SoundTestSupport.h"
#include "core/Log.h"
#include "sound/AudioSrcFile.h"
#include "sound/SoundDevice.h"
#include "sound/SoundReceiver.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class SoundFrontEndTest : public BlockCheckedTest {
 protected:
  void SetUp() override {
    BlockCheckedTest::SetUp();
    m_saved = LogErrPipe();
    m_log = NewCounted<TextPipe>();
    LogErrPipe() = StreamPipeRef(m_log);
  }
  void TearDown() override {
    LogErrPipe() = m_saved;
    unsetenv("PM_MODULE_DIR");
    BlockCheckedTest::TearDown();
  }
  std::string TakeLog() { return m_log->Take(); }

  TextPipe* m_log = nullptr;
  StreamPipeRef m_saved;
};

TEST_F(SoundFrontEndTest, DirectSoundLandsOnTheNullModuleAndLivesWithItsDevice) {
  EXPECT_EQ(SoundDevice::Create(SDType(5), kSpeakersDefault, kQualityDefault, nullptr), nullptr);
  EXPECT_FALSE(SoundModuleLoaded("DX3"));
  EXPECT_FALSE(SoundModuleLoaded("OPENAL"));
  {
    Ptr<SoundDevice> device(SoundDevice::Create(kSDDirectSound, kSpeakersDefault, kQualityDefault, nullptr));
    ASSERT_TRUE(device);
    EXPECT_EQ(device->GetType(), kSDDirectSound);
    EXPECT_EQ(device->GetSpeakers(), GetDefaultSpeakerType());
    EXPECT_EQ(device->GetQuality(), GetDefaultSoundQuality());
    EXPECT_TRUE(SoundModuleLoaded("DX3"));
    // Whatever type is asked, the living device is the answer.
    EXPECT_EQ(SoundDevice::Create(kSDOpenAL, kSpeakersDefault, kQualityDefault, nullptr), device.Get());
    EXPECT_FALSE(SoundModuleLoaded("OPENAL"));
  }
  EXPECT_EQ(SoundDevice::Current(), nullptr);
  EXPECT_FALSE(SoundModuleLoaded("DX3"));
  Ptr<SoundDevice> again(SoundDevice::Create(kSDDirectSound, kSpeakersMono, Quality(3), nullptr));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetSpeakers(), kSpeakersMono);
  EXPECT_EQ(again->GetQuality(), Quality(3));
  EXPECT_EQ(TakeLog().find("Error"), std::string::npos);
}

TEST_F(SoundFrontEndTest, MissingModulesAndFactoriesAreLoggedAndGiveNothing) {
  TempDir empty;
  struct Case {
    const char* dir;
    const char* want;
  } cases[] = {
      {empty.Path().c_str(),
       "SoundDevice::Create(DX3): DLL load failed.|SoundDevice::Create(OPENAL): DLL load failed.|"
       "AudioSrcFile::Create(DX3): DLL load failed."},
      {PM_FACTORYLESS_MODULE_DIR,
       "SoundDevice::Create(DX3): create function unresolved.|SoundDevice::Create(OPENAL): DLL load failed.|"
       "AudioSrcFile::Create(DX3): create function unresolved."},
  };
  for (const Case& c : cases) {
    setenv("PM_MODULE_DIR", c.dir, 1);
    uint32_t size = 7;
    EXPECT_EQ(SoundDevice::Create(kSDDirectSound, kSpeakersDefault, kQualityDefault, nullptr), nullptr);
    EXPECT_EQ(SoundDevice::Create(kSDOpenAL, kSpeakersDefault, kQualityDefault, nullptr), nullptr);
    EXPECT_EQ(AudioSrcFile::Create("x.wav", size, kCacheStreamed), nullptr);
    EXPECT_EQ(size, 7u);
    std::string log = TakeLog();
    std::string want = c.want;
    for (size_t at = 0, bar; at <= want.size(); at = bar + 1) {
      bar = want.find('|', at);
      if (bar == std::string::npos) bar = want.size();
      EXPECT_NE(log.find(want.substr(at, bar - at)), std::string::npos) << want.substr(at, bar - at) << "\n" << log;
    }
    // A module without its factory is freed at once.
    void* h = dlopen((std::string(c.dir) + "/Pelmora010276SOUNDDX3.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(h, nullptr);
    if (h) dlclose(h);
  }
}

TEST_F(SoundFrontEndTest, TheReceiverIsOneAndHoldsItsDevice) {
  EXPECT_EQ(SoundReceiver::Create(nullptr), nullptr);
  Ptr<SoundDevice> device(SoundDevice::Create(kSDDirectSound, kSpeakersDefault, kQualityDefault, nullptr));
  ASSERT_TRUE(device);
  {
    Ptr<SoundReceiver> r(SoundReceiver::Create(device.Get()));
    ASSERT_TRUE(r);
    EXPECT_EQ(SoundReceiver::Create(nullptr), r.Get());
    EXPECT_EQ(r->GetDevice(), device.Get());
    EXPECT_EQ(BlockRefCount(device.Get()), 2);
    SoundReceiverValues v = r->GetAll();
    EXPECT_EQ(v.position, Vector3f({0, 0, 0}));
    EXPECT_EQ(v.front, Vector3f({0, 0, 1}));
    EXPECT_EQ(v.up, Vector3f({0, 1, 0}));
    EXPECT_EQ(v.gain * v.dopplerFactor * v.distanceFactor, 1.0f);
    r->SetOrientation({1, 0, 0}, {0, 0, 1}, true);
    EXPECT_EQ(r->GetFront(), Vector3f({1, 0, 0}));
    EXPECT_EQ(r->GetUp(), Vector3f({0, 0, 1}));
  }
  EXPECT_EQ(SoundReceiver::Current(), nullptr);
  EXPECT_EQ(BlockRefCount(device.Get()), 1);
}

TEST_F(SoundFrontEndTest, NullModuleAudioSourceGivesTheFileSamplesUnchanged) {
  TempDir dir;
  std::string data;
  for (int i = 0; i < 100000; ++i) data += char((i * 7 + i / 256) & 0xFF);
  WriteFile(dir.File("s.wav"), WavImage(22050, 16, 2, data));
  uint32_t size = 0;
  Ptr<AudioSrcFile> file(AudioSrcFile::Create(dir.File("s.wav").c_str(), size, kCacheStreamed));
  ASSERT_TRUE(file);
  EXPECT_EQ(size, data.size());
  EXPECT_EQ(file->GetSampleRate(), 22050u);
  EXPECT_EQ(file->GetBitsPerSample(), 16);
  EXPECT_EQ(file->GetChannels(), 2);
  EXPECT_EQ(file->GetFrameBytes(), 4);
  EXPECT_FLOAT_EQ(file->GetDuration(), 25000.0f / 22050);
  std::string read(data.size(), '\0');
  EXPECT_EQ(file->ReadData(0, read.data(), uint32_t(read.size() + 10)), data.size());
  EXPECT_EQ(read, data);
  // A cache block is filled from the samples; set-position refills it from there.
  auto* d = static_cast<AudioSrcFile_I*>(file.Get());
  int32_t id = d->AddModePointer();
  EXPECT_EQ(d->FindCache(id)->available, AudioSrcFile_D::kBlockBytes);
  EXPECT_EQ(file->SetPosition(id, 40000), 40000);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(d->FindCache(id)->block), 60000), data.substr(40000));
  file.Clear();
  EXPECT_FALSE(SoundModuleLoaded("DX3"));
  EXPECT_EQ(AudioSrcFile::Create(dir.File("missing.wav").c_str(), size, kCacheStreamed), nullptr);
  EXPECT_NE(TakeLog().find("missing.wav"), std::string::npos);
}

// An audio source over `bytes` synthetic bytes whose refill copies from its block offset.
class TestAudioSrcFile final : public AudioSrcFile_I {
 public:
  explicit TestAudioSrcFile(uint32_t bytes) : m_bytes(bytes) {}
  int32_t Refill(int32_t id) override {
    ++refills;
    CacheList* c = FindCache(id);
    c->position = 0;
    c->available = c->offset >= m_bytes ? 0 : uint32_t(std::min<int64_t>(c->capacity, m_bytes - c->offset));
    for (uint32_t i = 0; i < c->available; ++i) c->block[i] = uint8_t((c->offset + i) % 251);
    return int32_t(c->available);
  }
  int refills = 0;

 private:
  uint32_t m_bytes;
};

TEST_F(SoundFrontEndTest, CacheBlocksAreWalkedByMode) {
  constexpr int64_t kFail = -1;
  constexpr int64_t kCap = AudioSrcFile_D::kBlockBytes;
  enum Op { kSet, kSkip };
  struct Step {
    CacheMode mode;
    Op op;
    int64_t arg;
    int64_t answer;
    int64_t available;  // after the step
    int64_t at;         // the report's read point after the step
  } steps[] = {
      {kCacheStreamed, kSet, 1000, 1000, kCap, 1000},
      {kCacheStreamed, kSkip, 100, 1100, kCap - 100, 1100},  // within half: inside the block
      {kCacheStreamed, kSkip, 50000, 51100, kCap, 51100},    // beyond half: a refill from there
      {kCacheStreamed, kSkip, 300000, kFail, 0, 351100},     // past the end
      {kCacheWhole, kSet, 100000, kCap, 0, kCap},            // clamped to the block
      {kCacheWhole, kSet, 1000, 1000, kCap - 1000, 1000},
      {kCacheWhole, kSkip, 500, 1500, kCap - 1500, 1500},
      {kCacheWhole, kSkip, 1000000, kCap, 0, kCap},
      {kCacheNone, kSet, 10, kFail, kCap, 0},
      {kCacheNone, kSkip, 10, kFail, kCap, 0},
  };
  CacheMode mode = kCacheNone;
  Ptr<TestAudioSrcFile> file;
  int32_t id = 0;
  for (const Step& s : steps) {
    if (!file || s.mode != mode) {
      mode = s.mode;
      file = NewCounted<TestAudioSrcFile>(200000);
      file->m_cacheMode = mode;
      id = file->AddModePointer();
    }
    int64_t answer = s.op == kSet ? file->SetPosition(id, s.arg) : file->Skip(id, s.arg);
    EXPECT_EQ(answer, s.answer) << "mode " << s.mode << " op " << s.op << " " << s.arg;
    int64_t report = file->Report(id);
    EXPECT_EQ(report >> 32, s.available) << "mode " << s.mode << " op " << s.op << " " << s.arg;
    EXPECT_EQ(int32_t(report & 0xFFFFFFFF), s.at) << "mode " << s.mode << " op " << s.op << " " << s.arg;
  }
  EXPECT_EQ(file->Report(99), -1);
}

TEST_F(SoundFrontEndTest, SharedAndMissingBlocks) {
  Ptr<TestAudioSrcFile> file(NewCounted<TestAudioSrcFile>(1000));
  file->m_cacheMode = kCacheStreamed;
  int32_t first = file->AddModePointer();
  int32_t second = file->AddSharedModePointer();
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(file->FindCache(second)->block, file->FindCache(first)->block);
  // Only the record that allocated the block frees it.
  EXPECT_TRUE(file->FindCache(first)->ownsBlock);
  EXPECT_FALSE(file->FindCache(second)->ownsBlock);
  EXPECT_EQ(file->Report(second) >> 32, 1000);

  // A record whose block could not be allocated is empty: the module is never asked to fill it.
  AudioSrcFile_D::CacheList* lost = file->m_caches.AppendNew() = NewCounted<AudioSrcFile_D::CacheList>();
  lost->id = 50;
  int refills = file->refills;
  EXPECT_EQ(file->SetPosition(50, 10), -1);
  EXPECT_EQ(file->Skip(50, 10), -1);
  file->m_cacheMode = kCacheWhole;
  EXPECT_EQ(file->SetPosition(50, 10), 0);
  EXPECT_EQ(file->Skip(50, 10), 0);
  EXPECT_EQ(file->refills, refills);
}

}  // namespace
}  // namespace PM::Test
