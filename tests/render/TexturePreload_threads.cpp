// Texture loads on their own threads: the state seen by the caller, the pending-load counter, the
// fallback when no thread starts, and textures dropped while their loads run.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/StartUp.h"
#include "platform/Thread.h"
#include "render/Texture2D.h"
#include "render/TexturePreload.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class TexturePreloadThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    for (int i = 0; i < 4; ++i) {
      Obj<Image_I> image(Image_I::New());
      image->Create(4, 64, 64, 0);
      image->FillRect(0, 0, 64, 64, {uint8_t(i), 2, 3, 255});
      ASSERT_EQ(image->ExportFile(String(m_dir.File("img" + std::to_string(i) + ".png"))), SOK);
    }
  }
  void TearDown() override {
    DrainTextureReleases();
    DLLDeInitialize(1);
  }
  Obj<Texture_I> Texture(int i) {
    Obj<Texture_I> t(static_cast<Texture_I*>(Texture2D_I::Create()));
    Obj<FileObject_I> f(static_cast<FileObject_I*>(FileObject_I::Create()));
    f->SetFileName(String("absolute://" + m_dir.File("img" + std::to_string(i))));
    t->SetFileObject(f);
    return t;
  }
  static bool WaitForLoads() {
    for (int i = 0; i < 2000 && PendingTextureLoads.load() != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return PendingTextureLoads.load() == 0;
  }
  TempDir m_dir;
};

TEST_F(TexturePreloadThreads, ThreadedLoadReportsLoadingThenReady) {
  const int32_t before = PendingTextureLoads.load();
  Obj<Texture_I> t = Texture(1);
  Ptr<TextureHandle> h(NewCounted<TextureHandle>());
  EXPECT_EQ(t->PreloadImage(true, String(), h.Get()), TextureHandle::kLoading);
  ASSERT_TRUE(WaitForLoads());
  EXPECT_EQ(PendingTextureLoads.load(), before);
  ASSERT_EQ(h->State(), TextureHandle::kReady);
  R8G8B8A8 p;
  h->GetImage()->GetPixel(p, 0, 0);
  EXPECT_EQ(p, (R8G8B8A8{1, 2, 3, 255}));

  // A thread that cannot start: the load happens here, and the counter is unchanged.
  LogCapture out(LogOutPipe());
  g_FailTextureThreadStart = true;
  Ptr<TextureHandle> h2(NewCounted<TextureHandle>());
  EXPECT_EQ(t->PreloadImage(true, String(), h2.Get()), 1);
  EXPECT_EQ(h2->State(), TextureHandle::kReady);
  EXPECT_EQ(PendingTextureLoads.load(), before);
  EXPECT_EQ(out.Text().rfind("Error Texture2D: AsyncTexture: CreateThread failed: ", 0), 0u) << out.Text();
}

// The nice values asked for, by thread; the answer is the test's.
struct NiceCalls {
  static int Refuse(uint32_t id, int nice) {
    Note(id, nice);
    errno = EACCES;
    return -1;
  }
  static int Grant(uint32_t id, int nice) {
    Note(id, nice);
    return 0;
  }
  static void Note(uint32_t id, int nice) {
    std::lock_guard<std::mutex> hold(lock);
    calls.emplace_back(id, nice);
  }
  static inline std::mutex lock;
  static inline std::vector<std::pair<uint32_t, int>> calls;
};

TEST_F(TexturePreloadThreads, ALoadingThreadAsksForAboveNormalAndWarnsWhenRefused) {
  Obj<Texture_I> t = Texture(0);
  for (Thread::NiceCall call : {&NiceCalls::Refuse, &NiceCalls::Grant}) {
    NiceCalls::calls.clear();
    const Thread::NiceCall saved = Thread::ReplaceNiceCall(call);
    LogCapture err;
    Ptr<TextureHandle> h(NewCounted<TextureHandle>());
    EXPECT_EQ(t->PreloadImage(true, String(), h.Get()), TextureHandle::kLoading);
    ASSERT_TRUE(WaitForLoads());
    Thread::ReplaceNiceCall(saved);
    EXPECT_EQ(h->State(), TextureHandle::kReady);
    ASSERT_EQ(NiceCalls::calls.size(), 1u);
    EXPECT_NE(NiceCalls::calls[0].first, Thread::CurrentId());  // the loading thread's own
    EXPECT_EQ(NiceCalls::calls[0].second, -5);
    const bool refused = call == &NiceCalls::Refuse;
    EXPECT_EQ(err.Text().find("Warn  AsyncTextureLoad: could not set thread priority.\n") != std::string::npos, refused)
        << err.Text();
    EXPECT_EQ(err.Text().find("priority"), err.Text().rfind("priority")) << "one line a load";
  }
  // A load on the caller's thread leaves its priority alone.
  NiceCalls::calls.clear();
  const Thread::NiceCall saved = Thread::ReplaceNiceCall(&NiceCalls::Refuse);
  EXPECT_EQ(t->PreloadImage(false, String(), nullptr), 1);
  Thread::ReplaceNiceCall(saved);
  EXPECT_TRUE(NiceCalls::calls.empty());
}

// Records the thread each texture dies on, through the engine handle its destructor unloads.
struct DeathHandle : TextureHandle {
  void Unload() override {
    std::lock_guard<std::mutex> lock(*mutex);
    threads->push_back(std::this_thread::get_id());
  }
  std::mutex* mutex = nullptr;
  std::vector<std::thread::id>* threads = nullptr;
};

TEST_F(TexturePreloadThreads, TexturesDroppedMidLoadDieOnTheDrawingThread) {
  std::mutex mutex;
  std::vector<std::thread::id> deaths;
  std::vector<Ptr<TextureHandle>> handles;
  for (int i = 0; i < 16; ++i) {
    Obj<Texture_I> t = Texture(i % 4);
    auto* death = NewCounted<DeathHandle>();
    death->mutex = &mutex;
    death->threads = &deaths;
    t->SetEngineHandle(death);
    handles.push_back(NewCounted<TextureHandle>());
    t->PreloadImage(true, String(), handles.back().Get());
  }  // every texture reference of this thread is gone here
  ASSERT_TRUE(WaitForLoads());
  // Later PreloadImage calls may already have released the first textures: here, as well.
  DrainTextureReleases();
  ASSERT_EQ(deaths.size(), 16u);
  for (std::thread::id id : deaths) EXPECT_EQ(id, std::this_thread::get_id());
  for (int i = 0; i < 16; ++i) {
    ASSERT_EQ(handles[i]->State(), TextureHandle::kReady) << i;
    R8G8B8A8 p;
    handles[i]->GetImage()->GetPixel(p, 63, 63);
    EXPECT_EQ(p.R, i % 4) << i;
  }
}

// Notes how many loads were still counted when the last reference to it went, and on which thread.
struct CountingHandle : TextureHandle {
  ~CountingHandle() override {
    pendingAtDeath = PendingTextureLoads.load();
    diedHere = std::this_thread::get_id() == owner;
  }
  static inline std::atomic<int32_t> pendingAtDeath{-1};
  static inline std::atomic<bool> diedHere{false};
  std::thread::id owner = std::this_thread::get_id();
};

TEST_F(TexturePreloadThreads, ALoadLetsGoOfItsHandleBeforeItCountsItselfOut) {
  const int32_t before = PendingTextureLoads.load();
  // The test lets go first almost always; a load that finished before that decides nothing, so a few
  // tries make sure the loading thread held the last reference at least once.
  int judged = 0;
  for (int attempt = 0; attempt < 8 && judged < 3; ++attempt) {
    CountingHandle::pendingAtDeath = -1;
    CountingHandle::diedHere = false;
    {
      Obj<Texture_I> t = Texture(2);
      Ptr<TextureHandle> h(NewCounted<CountingHandle>());
      EXPECT_EQ(t->PreloadImage(true, String(), h.Get()), TextureHandle::kLoading);
    }
    ASSERT_TRUE(WaitForLoads());
    if (CountingHandle::diedHere) continue;
    ++judged;
    // A host that sees the count fall finds the handle (and its image) already let go of.
    EXPECT_EQ(CountingHandle::pendingAtDeath.load(), before + 1);
  }
  EXPECT_GT(judged, 0);
}

}  // namespace
}  // namespace PM::Test
