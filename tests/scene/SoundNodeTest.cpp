// Sound nodes on the null device: loading by path, the play, pause and stop rules, following the
// parent transform, the shared device's lifetime, failures and the sound switch.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "EngineWorld.h"
#include "SoundTestSupport.h"
#include "core/Trace.h"
#include "scene/BaseTransform.h"
#include "scene/SoundEmitter.h"
#include "scene/SoundReceiverNode.h"
#include "sound/SharedSoundDevice.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

constexpr uint32_t kPlayCount = 0x01FFF071;
constexpr uint32_t kPause = 0x02FFF071;

class SoundNodeTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_level = g_LogLevel.load();
    g_LogLevel = 0;
    SetDefaultSoundDeviceType(kSDDirectSound);
    WriteFile(m_dir.File("beep.wav"), SineWav(440, 1.0));
  }
  void TearDown() override {
    g_LogLevel = m_level;
    unsetenv("PM_MODULE_DIR");
    EngineWorldTest::TearDown();
  }
  // An emitter whose file object names `name` (read path: the temporary folder) under a transform.
  Obj<TSoundEmitter_I> Emitter(const std::string& name) {
    Obj<TSoundEmitter_I> e(static_cast<TSoundEmitter_I*>(Make("TSoundEmitter").Get()));
    Obj<FileObject_I> file(static_cast<FileObject_I*>(Make("FileObject").Get()));
    file->SetFileName(String(name.c_str()));
    file->SetReadPath(String((m_dir.Path() + "/").c_str()));
    static_cast<SSoundEmitter_I*>(e->GetSNode())->m_fileObject = file.Get();
    return e;
  }
  Obj<TBaseTransform_I> ParentOf(ScriptObject* node) {
    Obj<TBaseTransform_I> t(static_cast<TBaseTransform_I*>(Make("TTransform").Get()));
    MemberSet<VObject>(node, kMemberTNodeParent, t.Get());
    return t;
  }
  static void MoveTo(TBaseTransform_I* t, Vector3f p) {
    Matrix4f m = kIdentityMatrix4f;
    m.SetRow(3, p);
    t->SetWorldMatrix(m);
  }

  TempDir m_dir;
  int m_level = 0;
};

TEST_F(SoundNodeTest, BothPathFormsReachTheModule) {
  std::string absolute = m_dir.File("beep.wav");
  ASSERT_EQ(mkdir(m_dir.File("Sounds").c_str(), 0755), 0);
  WriteFile(m_dir.File("Sounds/beep.wav"), SineWav(440, 1.0));
  struct Case {
    std::string name, path;
  } cases[] = {{"absolute://" + absolute, absolute}, {"beep.wav", m_dir.Path() + "/Sounds/beep.wav"}};
  for (const Case& c : cases) {
    Obj<TSoundEmitter_I> e = Emitter(c.name);
    EXPECT_EQ(e->Load(), 1);
    EXPECT_EQ(e->GetLoadState(), 1);
    ASSERT_NE(e->GetBuffer(), nullptr);
    EXPECT_EQ(e->GetBuffer()->GetFileName(), String(c.path.c_str()));
    EXPECT_NE(TakeLog().find("Loaded Sound \"" + c.path + "\" in "), std::string::npos) << c.path;
    // The stored settings reach the new buffer; the module's answers replace the defaults.
    EXPECT_EQ(MemberGet<VI32>(e, 0x07FFF071), 44100);
    EXPECT_EQ(MemberGet<VI32>(e, 0x08FFF071), 16);
    EXPECT_FLOAT_EQ(e->GetBuffer()->GetMaxDistance(), 1000.0f);
  }
}

TEST_F(SoundNodeTest, PlayPauseAndStopRules) {
  Obj<TSoundEmitter_I> e = Emitter("absolute://" + m_dir.File("beep.wav"));
  MemberSet<VBool>(e, kPause, false);  // never played: nothing starts, nothing loads
  EXPECT_EQ(e->GetLoadState(), 0);
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 0);
  MemberSet<VI32>(e, kPlayCount, 1);
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 1);
  MemberSet<VBool>(e, kPause, true);
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 0);
  EXPECT_TRUE(MemberGet<VBool>(e, kPause));
  MemberSet<VBool>(e, kPause, false);
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 1);
  MemberSet<VI32>(e, kPlayCount, 0);
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 0);
  MemberSet<VBool>(e, kPause, false);  // stopped: no play is requested, so nothing resumes
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 0);
  // Volume and pitch go to the buffer with commit; without a buffer the stored value answers.
  MemberSet<VF32>(e, 0x04FFF071, -6.0f);
  EXPECT_FLOAT_EQ(e->GetBuffer()->GetVolume(), -6.0f);
  Obj<TSoundEmitter_I> idle = Emitter("beep.wav");
  MemberSet<VF32>(idle, 0x06FFF071, 2.0f);
  EXPECT_FLOAT_EQ(MemberGet<VF32>(idle, 0x06FFF071), 2.0f);
  EXPECT_EQ(idle->GetLoadState(), 0);
}

TEST_F(SoundNodeTest, EmitterFollowsItsParentWithASpeedLimit) {
  Obj<TSoundEmitter_I> e = Emitter("absolute://" + m_dir.File("beep.wav"));
  Obj<TBaseTransform_I> t = ParentOf(e);
  ASSERT_EQ(e->Load(), 1);
  struct Step {
    Vector3f at;
    double dt;
    Vector3f velocity;
  } steps[] = {
      {{3, 0, 0}, 0.5, {0, 0, 0}},    // the first update has no velocity
      {{53, 0, 0}, 1.0, {10, 0, 0}},  // 50 units in a second: limited to 10 that way
      {{53, 4, 0}, 1.0, {0, 4, 0}},
      {{99, 0, 0}, 0.0, {0, 4, 0}},  // no time: nothing changes and the next update starts over
      {{99, 1, 0}, 0.5, {0, 0, 0}},
  };
  for (const Step& s : steps) {
    MoveTo(t, s.at);
    e->Update(s.dt);
    EXPECT_EQ(e->GetBuffer()->GetVelocity(), s.velocity) << s.at.x << "," << s.at.y;
  }
  EXPECT_EQ(MemberGet<VVector3f>(e, 0x0BFFF071), Vector3f({99, 1, 0}));
  EXPECT_EQ(e->GetBuffer()->GetDirection(), Vector3f({0, 0, -1}));
}

TEST_F(SoundNodeTest, ReceiverFollowsItsParentAndKeepsStillWithoutTime) {
  Obj<TSoundReceiver_I> r(static_cast<TSoundReceiver_I*>(Make("TSoundReceiver").Get()));
  Obj<TBaseTransform_I> t = ParentOf(r);
  MoveTo(t, {1, 2, 3});
  r->Update(0.25);
  ASSERT_NE(r->GetReceiver(), nullptr);
  SoundReceiverValues v = r->GetAll();
  EXPECT_EQ(v.position, Vector3f({1, 2, 3}));
  EXPECT_EQ(v.velocity, Vector3f({0, 0, 0}));
  EXPECT_EQ(v.front, Vector3f({0, 0, -1}));
  EXPECT_EQ(v.up, Vector3f({0, -1, 0}));
  MoveTo(t, {2, 2, 3});
  r->Update(0.5);
  EXPECT_EQ(r->GetVelocity(), Vector3f({2, 0, 0}));
  // No time: nothing reaches the receiver, and the next update starts over.
  MoveTo(t, {9, 2, 3});
  for (double dt : {0.0, -1.0}) r->Update(dt);
  EXPECT_EQ(r->GetPosition(), Vector3f({2, 2, 3}));
  EXPECT_EQ(r->GetVelocity(), Vector3f({2, 0, 0}));
  r->Update(0.5);
  EXPECT_EQ(r->GetVelocity(), Vector3f({0, 0, 0}));
  MoveTo(t, {9, 3, 3});
  r->Update(0.5);
  EXPECT_EQ(r->GetVelocity(), Vector3f({0, 2, 0}));
}

TEST_F(SoundNodeTest, TheSharedDeviceLivesWhileNodesHoldIt) {
  Obj<TSoundEmitter_I> e = Emitter("absolute://" + m_dir.File("beep.wav"));
  Obj<TSoundReceiver_I> r(static_cast<TSoundReceiver_I*>(Make("TSoundReceiver").Get()));
  ParentOf(r);
  ASSERT_EQ(e->Load(), 1);
  r->Update(0.1);
  SoundDevice* first = e->GetDevice();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(r->GetReceiverDevice(), first);
  EXPECT_EQ(SharedSoundDevice::UserCount(), 2);
  e.Clear();
  EXPECT_EQ(SoundDevice::Current(), first);
  r.Clear();
  EXPECT_EQ(SharedSoundDevice::UserCount(), 0);
  EXPECT_EQ(SoundDevice::Current(), nullptr);
  EXPECT_FALSE(SoundModuleLoaded("DX3"));
  Obj<TSoundEmitter_I> next = Emitter("absolute://" + m_dir.File("beep.wav"));
  ASSERT_EQ(next->Load(), 1);
  EXPECT_NE(SoundDevice::Current(), nullptr);
  EXPECT_TRUE(SoundModuleLoaded("DX3"));
  EXPECT_EQ(TakeLog().find("SoundDevice.RefCount"), std::string::npos);
}

TEST_F(SoundNodeTest, FailedLoadsAreLoggedAndNeverRetried) {
  Obj<TSoundEmitter_I> e = Emitter("absolute://" + m_dir.File("missing.wav"));
  MemberSet<VI32>(e, kPlayCount, 1);
  EXPECT_EQ(e->GetLoadState(), -1);
  std::string log = TakeLog();
  EXPECT_EQ(log.find("Loaded Sound"), std::string::npos) << log;
  EXPECT_NE(log.find("TSoundEmitter_D::Load: cannot play \"" + m_dir.File("missing.wav") + "\"."), std::string::npos);
  MemberSet<VI32>(e, kPlayCount, 1);
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 0);

  // No device at all: the node is not counted as a user, so nothing outlives it.
  e.Clear();
  TempDir empty;
  setenv("PM_MODULE_DIR", empty.Path().c_str(), 1);
  Obj<TSoundEmitter_I> lonely = Emitter("beep.wav");
  EXPECT_EQ(lonely->Load(), 1);
  EXPECT_EQ(lonely->GetLoadState(), -1);
  EXPECT_EQ(SharedSoundDevice::UserCount(), 0);
  const std::string noDevice = TakeLog();
  EXPECT_NE(noDevice.find("Error no SoundDevice.\n"), std::string::npos) << noDevice;
  EXPECT_EQ(noDevice.find("TSoundEmitter_D::Load: no SoundDevice."), std::string::npos) << noDevice;
  // The load is a section of this thread's trace, left on every path out.
  const int64_t tid = int64_t(syscall(SYS_gettid));
  const TraceSlot* slot = nullptr;
  for (int i = 0; i < kTraceSlots; ++i)
    if (TraceSlots()[i].thread.load() == tid) slot = &TraceSlots()[i];
  ASSERT_NE(slot, nullptr);
  auto entry = [&](int back) { return slot->ring[(slot->next - back) % kTraceRingLength]; };
  EXPECT_EQ(entry(2).kind, '>');
  EXPECT_STREQ(entry(2).label, "TSoundEmitter_D::Load()");
  EXPECT_EQ(entry(1).kind, '<');
  EXPECT_STREQ(entry(1).label, "TSoundEmitter_D::Load()");
}

// Runs only in the child that SoundsOffLoadsNoModule starts with XPDISABLE_SOUNDS set.
TEST_F(SoundNodeTest, SoundsOffChild) {
  if (getenv("XPDISABLE_SOUNDS") == nullptr) GTEST_SKIP() << "runs as a child of SoundsOffLoadsNoModule";
  EXPECT_FALSE(SoundsEnabled());
  Obj<TSoundEmitter_I> e = Emitter("absolute://" + m_dir.File("beep.wav"));
  EXPECT_EQ(e->Load(), 1);
  MemberSet<VI32>(e, kPlayCount, 1);
  MemberSet<VBool>(e, kPause, true);
  EXPECT_TRUE(MemberGet<VBool>(e, kPause));
  MemberSet<VBool>(e, kPause, false);
  Obj<TSoundReceiver_I> r(static_cast<TSoundReceiver_I*>(Make("TSoundReceiver").Get()));
  r->Update(0.1);
  EXPECT_EQ(e->GetLoadState(), 0);
  EXPECT_EQ(MemberGet<VI32>(e, kPlayCount), 0);
  EXPECT_FALSE(SoundModuleLoaded("DX3"));
  EXPECT_FALSE(SoundModuleLoaded("OPENAL"));
}

TEST(SoundSwitchTest, SoundsOffLoadsNoModule) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  std::string command =
      std::string("XPDISABLE_SOUNDS=1 '") + self + "' --gtest_filter=SoundNodeTest.SoundsOffChild > /dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace PM::Test
