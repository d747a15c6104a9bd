// pm-run's sound on the OpenAL device where no output device opens: the terminal shows our message
// alone, not the lines libasound and OpenAL Soft write themselves.
#include <string>

#include "PmRunSupport.h"

namespace PM::Test {
namespace {

TEST(PmRunSound, NoOutputDeviceIsOurMessageAlone) {
  TempDir dir;
  WriteSoundScene(dir);
  // OpenAL Soft's ALSA output told to open a device no machine has: the failure, and libasound's lines,
  // of a machine without sound hardware, on any machine.
  WriteFile(dir.Path() + "/alsoft.conf", "[general]\ndrivers = alsa\n[alsa]\ndevice = pm-no-such-device\n");
  const std::string env = "env -u ALSOFT_LOGLEVEL -u ALSOFT_DRIVERS ALSOFT_CONF='" + dir.Path() + "/alsoft.conf'";
  HostRun r = PmRun(dir, "--sound openal play.bs", env);
  EXPECT_EQ(r.status, 1);  // the run reported errors
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir.Path() + "/stderr.txt"),
            "Error CreateSoundDeviceOpenAL: no output device. The null sound device needs none: pm-run --sound "
            "null, or SetDefaultSoundDeviceType(kSDDirectSound) in a host; XPDISABLE_SOUNDS=1 turns sound off.\n"
            "Error no SoundDevice.\n");
  // Asked for, libasound's lines are debug lines of our log.
  r = PmRun(dir, "--log-level 1 --sound openal play.bs", env);
  EXPECT_EQ(r.status, 1);  // the run reported errors
  const std::string err = ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_NE(err.find("Debug libasound: pcm.c:"), std::string::npos) << err;
  EXPECT_NE(err.find("Unknown PCM pm-no-such-device"), std::string::npos) << err;
  EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
  EXPECT_EQ(err.find("AL lib"), std::string::npos) << err;
}

}  // namespace
}  // namespace PM::Test
