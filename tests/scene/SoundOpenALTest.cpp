// Real audio through the OpenAL module: OpenAL Soft writes its mix to a WAV file (its "wave"
// driver, chosen by ALSOFT_CONF), which is read back and measured.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "EngineWorld.h"
#include "SoundTestSupport.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "scene/BaseTransform.h"
#include "scene/SimpleTransform.h"
#include "scene/SoundEmitter.h"
#include "scene/SoundReceiverNode.h"
#include "sound/WavFile.h"
#include "support/FixedAreaPipe.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

struct Heard {
  double rmsLeft = 0, rmsRight = 0;
  double hz = 0;  // of the louder channel, from its zero crossings
};

class SoundOpenALTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    WriteFile(m_dir.File("alsoft.conf"),
              "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
              "[wave]\nfile = " +
                  m_dir.File("out.wav") + "\n");
    setenv("ALSOFT_CONF", m_dir.File("alsoft.conf").c_str(), 1);
    WriteFile(m_dir.File("a440.wav"), SineWav(440, 1.0));
    SetDefaultSoundDeviceType(kSDOpenAL);
  }

  // Plays the 440 Hz sound for 0.4 s from `at`, heard at the origin facing -z.
  Heard Play(Vector3f at, float pitch = 1, float volume = 0, bool stop = false) {
    {
      Obj<TBaseTransform_I> ear(static_cast<TBaseTransform_I*>(Make("TTransform").Get()));
      Obj<TBaseTransform_I> mouth(static_cast<TBaseTransform_I*>(Make("TTransform").Get()));
      Obj<TSoundReceiver_I> r(static_cast<TSoundReceiver_I*>(Make("TSoundReceiver").Get()));
      Obj<TSoundEmitter_I> e(static_cast<TSoundEmitter_I*>(Make("TSoundEmitter").Get()));
      Obj<FileObject_I> file(static_cast<FileObject_I*>(Make("FileObject").Get()));
      file->SetFileName(String(("absolute://" + m_dir.File("a440.wav")).c_str()));
      static_cast<SSoundEmitter_I*>(e->GetSNode())->m_fileObject = file.Get();
      MemberSet<VObject>(r, kMemberTNodeParent, ear.Get());
      MemberSet<VObject>(e, kMemberTNodeParent, mouth.Get());
      ear->SetWorldMatrix(kIdentityMatrix4f);
      Matrix4f m = kIdentityMatrix4f;
      m.SetRow(3, at);
      mouth->SetWorldMatrix(m);
      EXPECT_EQ(e->Load(), 1);
      EXPECT_EQ(e->GetLoadState(), 1) << TakeLog();
      MemberSet<VF32>(e, 0x06FFF071, pitch);
      MemberSet<VF32>(e, 0x04FFF071, volume);
      r->Update(0.1);
      e->Update(0.1);
      MemberSet<VI32>(e, 0x01FFF071, 1);
      if (stop) MemberSet<VI32>(e, 0x01FFF071, 0);
      // The mix runs in real time: wait it out.
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }  // the last node closes the device, which completes the file
    return Measure(ReadOut());
  }

  // Plays the sound for 0.4 s from an emitter below a transform translated to `at`, heard through a
  // receiver below an untranslated one: the positions come from one update-only frame.
  Heard PlayPlaced(Vector3f at) {
    {
      Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
      Obj<ScriptObject> pipe(NewScriptObject<FixedAreaPipe>(RenderPipe_I::GetTypeRecord(), RenderPipe_I::kClassId));
      traverse->SetRenderPipe(pipe);
      Obj<ScriptObject> root = Make("TTransform"), ear = Make("TTransform"), mouth = Make("TTransform");
      Obj<ScriptObject> r = Make("TSoundReceiver"), e = Make("TSoundEmitter");
      MemberSet<VObject>(ear, kMemberTNodeParent, root);
      MemberSet<VObject>(mouth, kMemberTNodeParent, root);
      MemberSet<VObject>(r, kMemberTNodeParent, ear);
      MemberSet<VObject>(e, kMemberTNodeParent, mouth);
      static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(mouth.Get())->GetSNode())->SetTranslation(at);
      Obj<FileObject_I> file(static_cast<FileObject_I*>(Make("FileObject").Get()));
      file->SetFileName(String(("absolute://" + m_dir.File("a440.wav")).c_str()));
      auto* emitter = static_cast<TSoundEmitter_I*>(e.Get());
      static_cast<SSoundEmitter_I*>(emitter->GetSNode())->m_fileObject = file.Get();
      EXPECT_EQ(emitter->Load(), 1);
      Obj<ScriptObject> c = Make("RenderChannel");
      static_cast<RenderChannel_I*>(c.Get())->m_sceneRoot = static_cast<TNode_I*>(root.Get());
      traverse->SetChannel(0, c);
      traverse->Draw(1.0, 0.1, 1);
      EXPECT_TRUE(MemberGet<VMatrix4f>(mouth, kMemberTBaseTransformWorldMatrix).Row(3).IsEqualEps(at, 1e-6f));
      MemberSet<VI32>(e, 0x01FFF071, 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      traverse->SetChannel(0, NilScriptObject());
    }  // the last node closes the device, which completes the file
    return Measure(ReadOut());
  }

  WavData ReadOut() {
    WavData out;
    std::string bytes = ReadFile(m_dir.File("out.wav"));
    std::string why;
    EXPECT_TRUE(WavFile::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, why)) << why;
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.bitsPerSample, 16);
    return out;
  }

  static Heard Measure(const WavData& w) {
    Heard h;
    size_t frames = w.samples.size() / 4;
    auto sample = [&](size_t i, int ch) {
      return double(int16_t(uint16_t(w.samples[4 * i + 2 * ch] | w.samples[4 * i + 2 * ch + 1] << 8)));
    };
    for (size_t i = 0; i < frames; ++i) {
      h.rmsLeft += sample(i, 0) * sample(i, 0);
      h.rmsRight += sample(i, 1) * sample(i, 1);
    }
    if (frames) h.rmsLeft = std::sqrt(h.rmsLeft / frames), h.rmsRight = std::sqrt(h.rmsRight / frames);
    int ch = h.rmsRight >= h.rmsLeft ? 1 : 0;
    // The sounding stretch: from the first to the last sample clearly above the noise.
    size_t first = frames, last = 0;
    for (size_t i = 0; i < frames; ++i) {
      if (std::fabs(sample(i, ch)) > 200) first = std::min(first, i), last = i;
    }
    int crossings = 0;
    for (size_t i = first + 1; i <= last && first < frames; ++i) {
      if ((sample(i - 1, ch) < 0) != (sample(i, ch) < 0)) ++crossings;
    }
    if (last > first) h.hz = crossings / 2.0 / (double(last - first) / w.sampleRate);
    return h;
  }

  TempDir m_dir;
};

TEST_F(SoundOpenALTest, ASoundOnTheRightIsHeardOnTheRight) {
  Heard right = Play({5, 0, 0});
  EXPECT_GT(right.rmsRight, 100);
  EXPECT_GT(right.rmsRight, 10 * right.rmsLeft) << right.rmsLeft << " " << right.rmsRight;
  EXPECT_NEAR(right.hz, 440, 440 * 0.02);
  Heard left = Play({-5, 0, 0});
  EXPECT_GT(left.rmsLeft, 10 * left.rmsRight) << left.rmsLeft << " " << left.rmsRight;
}

// The frame places the sound: 5 units to the right it is heard on the right, at the level the
// distance model gives (reference distance 1, rolloff 1: 1 / 5 of the level at 1 unit); mirrored on
// the left.
TEST_F(SoundOpenALTest, TheFramePlacesAnEmitterBelowATransform) {
  Heard near = PlayPlaced({1, 0, 0});
  Heard right = PlayPlaced({5, 0, 0});
  EXPECT_GT(right.rmsRight, 10 * right.rmsLeft) << right.rmsLeft << " " << right.rmsRight;
  EXPECT_NEAR(right.rmsRight / near.rmsRight, 0.2, 0.03) << near.rmsRight << " " << right.rmsRight;
  Heard left = PlayPlaced({-5, 0, 0});
  EXPECT_GT(left.rmsLeft, 10 * left.rmsRight) << left.rmsLeft << " " << left.rmsRight;
  EXPECT_NEAR(left.rmsLeft / right.rmsRight, 1.0, 0.1);
}

TEST_F(SoundOpenALTest, PitchAndVolumeReachTheMix) {
  Heard full = Play({5, 0, 0});
  Heard octave = Play({5, 0, 0}, 2.0f);
  EXPECT_NEAR(octave.hz, 880, 880 * 0.02);
  Heard quieter = Play({5, 0, 0}, 1.0f, -6.0f);
  EXPECT_NEAR(quieter.rmsRight / full.rmsRight, 0.5, 0.06);
}

TEST_F(SoundOpenALTest, AStoppedEmitterLeavesSilence) {
  Heard h = Play({5, 0, 0}, 1.0f, 0.0f, true);
  EXPECT_LT(h.rmsLeft + h.rmsRight, 5.0);
}

}  // namespace
}  // namespace PM::Test
