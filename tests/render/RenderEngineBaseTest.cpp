// What every render engine does the same way, tested once on an engine that keeps only that: when a
// texture load waits for a later frame, what the texture counters count, the lists handles and caches
// move through, when a cached record is looked at again, the stand-in colour's bytes, and that the shared
// layer leaves each back end's own operations right after the interface's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "render/RenderEngineBase.h"
#include "render/Texture.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "scene/EngineWorld.h"

namespace PM::Test {
namespace {

class ProbeEngine;

class ProbeHandle final : public EngineTextureHandle {
 public:
  explicit ProbeHandle(ProbeEngine* engine);
};

class ProbeCache final : public EnginePolygonCache {
 public:
  explicit ProbeCache(ProbeEngine* engine);
  using EnginePolygonCache::ForgetStreams;
  void Fill(int stream, int32_t count) { m_size[stream] = count, m_source[stream] = this; }
  void Clean() { m_dirty = 0; }
};

class ProbeEngine final : public RenderEngineBase {
 public:
  ~ProbeEngine() {
    UnloadLiveTextures();
    ReleaseTextures();
    UnloadLiveCaches();
    ReleaseUnloadedCaches<ProbeCache>([](ProbeCache*) {});
  }
  using RenderEngineBase::BeginFrameCounts;
  using RenderEngineBase::ChargeTexture;
  using RenderEngineBase::CountFrameBytes;
  using RenderEngineBase::DischargeTexture;
  using RenderEngineBase::LoadOrDefer;
  using RenderEngineBase::NoteModelView;
  using RenderEngineBase::StandInImage;

  TextureSettingsInfo& Settings() { return m_textureSettings; }
  void SpendLoadSeconds(float seconds) { m_frameLoadSeconds = seconds; }
  ProbeHandle* HandleOf(Texture_I* t) { return FindOrMakeTextureHandle<ProbeHandle>(t, this, m_liveTextures); }
  ProbeCache* CacheIn(Ptr<RenderPolygonCache>* slot) { return EngineCache<ProbeCache>(slot, this, m_liveCaches); }
  void ReleaseTextures() {
    ReleaseUnloadedTextures<ProbeHandle>([this](ProbeHandle*) { ++released; });
  }

  ProbeHandle* Take(Texture_I* t) {
    return LoadedTextureHandle<ProbeHandle>(this, t, [this](ProbeHandle*) { ++downloads; });
  }

  int released = 0;
  int downloads = 0;
};

ProbeHandle::ProbeHandle(ProbeEngine* engine) : EngineTextureHandle(engine, "ProbeHandle") {}
ProbeCache::ProbeCache(ProbeEngine* engine) : EnginePolygonCache(engine, "ProbeCache") {}

class RenderEngineBaseTest : public EngineWorldTest {
 protected:
  static Obj<Texture_I> Texture() {
    Obj<ScriptObject> t = Make("Texture2D", "tex");
    return Obj<Texture_I>(static_cast<Texture_I*>(t.Get()));
  }
  static Obj<Image_I> Pixel() {
    Obj<Image_I> image(Image_I::New());
    image->Create(4, 1, 1, 0);
    return image;
  }
};

TEST_F(RenderEngineBaseTest, LoadsWaitWhileTexturingIsOffOtherLoadsRunOrTheFrameBudgetIsSpent) {
  ProbeEngine engine;
  Obj<Texture_I> t = Texture();
  t->SetLoadedImage(Pixel().Get());
  ProbeHandle* h = engine.HandleOf(t.Get());

  engine.Settings().EnableTexture = 0;
  engine.LoadOrDefer(t.Get(), h);
  EXPECT_EQ(engine.GetTextureLoadCount(), 1);
  engine.Settings().EnableTexture = 1;

  engine.Settings().TextureLoadTimeLimit = 0.25f;
  engine.SpendLoadSeconds(0.25f);
  engine.LoadOrDefer(t.Get(), h);
  EXPECT_EQ(engine.GetTextureLoadCount(), 2);

  PendingTextureLoads.fetch_add(1);
  engine.BeginFrameCounts();
  engine.LoadOrDefer(t.Get(), h);
  PendingTextureLoads.fetch_sub(1);
  EXPECT_EQ(engine.GetTextureLoadCount(), 1) << "a new frame counts afresh";
  EXPECT_EQ(h->State(), TextureHandle::kNothing) << "every deferred load left the texture alone";

  // A new frame has its whole budget again; a negative limit is no budget at all.
  engine.BeginFrameCounts();
  engine.LoadOrDefer(t.Get(), h);
  EXPECT_EQ(h->State(), TextureHandle::kReady);
  EXPECT_EQ(engine.GetTextureLoadCount(), 0);
  Obj<Texture_I> unlimited = Texture();
  unlimited->SetLoadedImage(Pixel().Get());
  ProbeHandle* u = engine.HandleOf(unlimited.Get());
  engine.Settings().TextureLoadTimeLimit = -1.0f;
  engine.SpendLoadSeconds(1e6f);
  engine.LoadOrDefer(unlimited.Get(), u);
  EXPECT_EQ(u->State(), TextureHandle::kReady);
}

TEST_F(RenderEngineBaseTest, ATextureIsHandedToTheDownloadOnlyOnceItsImageIsThere) {
  ProbeEngine engine;
  Obj<Texture_I> waiting = Texture();
  waiting->SetLoadedImage(Pixel().Get());
  engine.Settings().EnableTexture = 0;
  ProbeHandle* w = engine.Take(waiting.Get());
  EXPECT_EQ(engine.downloads, 0);
  EXPECT_EQ(engine.GetTextureLoadCount(), 1);
  EXPECT_EQ(engine.Take(waiting.Get()), w) << "the texture keeps its handle";

  engine.Settings().EnableTexture = 1;
  EXPECT_EQ(engine.Take(waiting.Get()), w);
  EXPECT_EQ(w->State(), TextureHandle::kReady);
  EXPECT_EQ(engine.downloads, 1);
  w->SetState(TextureHandle::kDownloaded);
  engine.Take(waiting.Get());
  EXPECT_EQ(engine.downloads, 1) << "a downloaded texture is not loaded or downloaded again";
}

TEST_F(RenderEngineBaseTest, ResidentAndFrameBytesAreCountedOncePerTextureAndFrame) {
  ProbeEngine engine;
  Obj<Texture_I> a = Texture(), b = Texture();
  ProbeHandle* ha = engine.HandleOf(a.Get());
  ProbeHandle* hb = engine.HandleOf(b.Get());
  engine.ChargeTexture(ha, 64);
  engine.ChargeTexture(hb, 16);
  EXPECT_EQ(engine.GetTextureCount(), 2);
  EXPECT_EQ(engine.GetTextureMemory(), 80);

  engine.BeginFrameCounts();
  engine.CountFrameBytes(ha);
  engine.CountFrameBytes(ha);
  engine.CountFrameBytes(hb);
  EXPECT_EQ(engine.GetTextureDownloadBytes(), 80) << "a texture bound twice in a frame counts once";
  engine.BeginFrameCounts();
  engine.CountFrameBytes(hb);
  EXPECT_EQ(engine.GetTextureDownloadBytes(), 16);

  engine.DischargeTexture(ha);
  EXPECT_EQ(ha->ByteCount(), 0);
  EXPECT_EQ(engine.GetTextureCount(), 1);
  EXPECT_EQ(engine.GetTextureMemory(), 16);

  // An unloaded handle gives its bytes back when the engine frees it, whatever its device held.
  hb->Unload();
  hb->Unload();
  EXPECT_EQ(hb->Owner(), nullptr);
  EXPECT_EQ(engine.LiveTextureCount(), 1);
  EXPECT_EQ(engine.UnloadedTextureCount(), 1);
  engine.ReleaseTextures();
  EXPECT_EQ(engine.released, 1);
  EXPECT_EQ(engine.UnloadedTextureCount(), 0);
  EXPECT_EQ(engine.GetTextureCount(), 0);
  EXPECT_EQ(engine.GetTextureMemory(), 0);
  EXPECT_NE(engine.HandleOf(b.Get()), hb) << "a texture whose handle was let go gets a new one";
}

TEST_F(RenderEngineBaseTest, CachedRecordsAreLookedAtAgainOnlyWhenIndicesPositionsOrCountsChange) {
  ProbeEngine engine;
  Ptr<RenderPolygonCache> slot;
  ProbeCache* cache = engine.CacheIn(&slot);
  EXPECT_EQ(engine.CacheIn(&slot), cache) << "the slot keeps its cache";
  int looks = 0;
  auto drawable = [&] { return ++looks, true; };
  EXPECT_TRUE(cache->Drawable(EnginePolygonCache::kCountsChanged, drawable));
  cache->Clean();
  EXPECT_TRUE(cache->Drawable(EnginePolygonCache::kCountsChanged, drawable));
  cache->SetDirty(PolygonData::kDynamicNormals | PolygonData::kDynamicColors | PolygonData::kDynamicTexCoords0);
  EXPECT_TRUE(cache->Drawable(EnginePolygonCache::kCountsChanged, drawable));
  EXPECT_EQ(looks, 1);
  for (uint32_t bits : {uint32_t(PolygonData::kDynamicIndices), uint32_t(PolygonData::kDynamicPositions),
                        EnginePolygonCache::kCountsChanged}) {
    cache->Clean();
    cache->SetDirty(bits);
    EXPECT_TRUE(cache->Drawable(EnginePolygonCache::kCountsChanged, drawable));
  }
  EXPECT_EQ(looks, 4);
  // A refused record stays refused without another look until something it reads changes.
  cache->Clean();
  cache->SetDirty(PolygonData::kDynamicIndices);
  EXPECT_FALSE(cache->Drawable(EnginePolygonCache::kCountsChanged, [] { return false; }));
  cache->Clean();
  EXPECT_FALSE(cache->Drawable(EnginePolygonCache::kCountsChanged, drawable));
  EXPECT_EQ(looks, 4);

  cache->Fill(EnginePolygonCache::kPositions, 12);
  cache->ForgetStreams();
  EXPECT_EQ(cache->Size(EnginePolygonCache::kPositions), 0);
  EXPECT_EQ(cache->Source(EnginePolygonCache::kPositions), nullptr);
  EXPECT_EQ(cache->Dirty(), EnginePolygonCache::kAllDirty);

  cache->Unload();
  EXPECT_EQ(engine.LiveCacheCount(), 0);
  EXPECT_EQ(engine.UnloadedCacheCount(), 1);
  ProbeCache* next = engine.CacheIn(&slot);
  EXPECT_NE(next, cache) << "an unloaded cache is replaced on the next draw";
  next->Unload();
  slot.Clear();
}

TEST_F(RenderEngineBaseTest, StreamsOfARecordAndTheStandInColour) {
  const uint32_t indices[3] = {0, 1, 2};
  const Vector3f positions[3] = {};
  PolygonData d;
  d.IndexArray = indices;
  d.VertexArray = positions;
  d.IndexCount = 0, d.VertexCount = 3;
  const EnginePolygonCache::RecordStreams none(d);
  EXPECT_EQ(none.arrays[EnginePolygonCache::kIndices], nullptr) << "no index array without indices";
  EXPECT_EQ(none.arrays[EnginePolygonCache::kPositions], positions);
  EXPECT_EQ(none.arrays[EnginePolygonCache::kColors], nullptr);
  d.IndexCount = 3;
  const EnginePolygonCache::RecordStreams some(d);
  EXPECT_EQ(some.arrays[EnginePolygonCache::kIndices], indices);
  EXPECT_EQ(some.counts[EnginePolygonCache::kIndices], 3);
  EXPECT_EQ(some.counts[EnginePolygonCache::kTexCoords1], 3);

  Ptr<Image_I> one = ProbeEngine::StandInImage({0.5f, std::numeric_limits<float>::quiet_NaN(), 2.0f, -1.0f});
  ASSERT_EQ(one->GetWidth(), 1);
  const uint8_t* p = one->GetData();
  EXPECT_EQ(p[0], 127);
  EXPECT_EQ(p[1], 0) << "no colour is black";
  EXPECT_EQ(p[2], 255);
  EXPECT_EQ(p[3], 0);
}

// The table slot of a virtual member function under the Itanium C++ ABI (g++ and clang on x86_64).
template <class F>
std::ptrdiff_t SlotOf(F f) {
  uintptr_t words[2];
  std::memcpy(words, &f, sizeof(words));
  return (words[0] & 1) == 0 ? -1 : std::ptrdiff_t((words[0] - 1) / sizeof(void*));
}

Matrix4f Scaled(float x, float y, float z) {
  Matrix4f m = kIdentityMatrix4f;
  m.SetScale({x, y, z});
  return m;
}

TEST_F(RenderEngineBaseTest, ADrawTurnsItsWindingWhenItsVerticesWentThroughOneMirror) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Matrix4f halfTurn = kIdentityMatrix4f;  // 180 degrees about y: two axes flipped, no mirror
  halfTurn.m[0] = halfTurn.m[10] = -1.0f;
  Matrix4f sheared = Scaled(-2.0f, 0.5f, 3.0f);
  sheared.m[4] = 0.5f, sheared.m[1] = 0.25f;  // determinant 3 (-1 - 0.125)
  Matrix4f moved = Scaled(-1.0f, 1.0f, 1.0f);
  moved.m[12] = 1e30f, moved.m[13] = -5.0f;  // the translation plays no part
  const struct {
    const char* what;
    Matrix4f m;
    bool mirrored;
  } cases[] = {
      {"identity", kIdentityMatrix4f, false},
      {"x mirrored", Scaled(-1, 1, 1), true},
      {"all three scaled -0.1", Scaled(-0.1f, -0.1f, -0.1f), true},
      {"two axes flipped", Scaled(-1, -1, 1), false},
      {"half turn", halfTurn, false},
      {"mirrored, sheared and scaled", sheared, true},
      {"mirrored and far away", moved, true},
      // Float's determinant of these would be 0 (1e-60): the sign survives in double.
      {"tiny mirror", Scaled(-1e-20f, 1e-20f, 1e-20f), true},
      {"flat (determinant 0)", Scaled(-1, 1, 0), false},
      {"NaN", Scaled(nan, -1, 1), false},
  };
  ProbeEngine e;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    e.NoteModelView(c.m);
    EXPECT_EQ(e.MirroredDraw(), c.mirrored);
    // Eye-space vertices that went through a mirror of their own: one mirror turns, two cancel.
    e.SetEyeSpaceMirror(true);
    EXPECT_EQ(e.MirroredDraw(), !c.mirrored);
    e.SetEyeSpaceMirror(false);
  }
  // Both back ends hand the rule every model-view they load, with or without a device.
  for (int32_t type : {0, 2}) {
    SCOPED_TRACE(type);
    Ptr<RenderEngine_I> handle(RenderEngine::Create(type));
    auto* engine = static_cast<RenderEngineBase*>(handle->Engine());
    const Matrix4f mirror = Scaled(-1, 1, 1);
    Matrix4f old;
    engine->ExchangeModelViewMatrix(&mirror, &old);
    EXPECT_TRUE(engine->MirroredDraw());
    engine->LoadModelViewMatrix(&kIdentityMatrix4f);
    EXPECT_FALSE(engine->MirroredDraw());
    engine->SetModelViewMatrix(&mirror);
    engine->SetModelViewMatrix(nullptr);
    EXPECT_TRUE(engine->MirroredDraw());
  }
}

TEST(RenderEngineBaseSlots, EachBackEndsOwnOperationsFollowTheInterfacesDirectly) {
  // The interface's table ends with the point size; nothing sits between it and a back end's own.
  const std::ptrdiff_t last = SlotOf(&RenderEngine::GetPointSize);
  EXPECT_EQ(SlotOf(&RenderEngineOpenGL_D::SetShader), last + 1);
  EXPECT_EQ(SlotOf(&RenderEngineDirectX8_D::SetTextureBlendOp), last + 1);
}

}  // namespace
}  // namespace PM::Test
