#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "context/Platform.h"
#include "shell/ShellFixture.h"
#include "shell/Startup.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

using BackgroundAudioTest = ShellTest;

const std::vector<std::string>& Boxes(GameContext& ctx) {
  return static_cast<HeadlessPlatform&>(ctx.Platform()).Errors();
}

shell::SoundFiles Unplayable() {
  shell::SoundFiles files;
  files.Music = std::vector<std::uint8_t>(300, 0x5a);  // no module libopenmpt knows
  files.BankProblem = "sound\\snd.tor: not in the archive";
  return files;
}

// Finish waits for the thread: what it had to say is there as soon as Finish returns. What the
// engine says on the sound's own thread waits for Finish (boxes belong to the main thread), then
// reaches the platform; what it says after Finish goes there at once.
TEST_F(BackgroundAudioTest, MessagesWaitForFinishThenReachThePlatform) {
  const std::string refused = "Can't play file\r\n(Error code: 41)";
  shell::BackgroundAudio audio;
  audio.Start(sound::AudioOutput::Null, Unplayable());
  ASSERT_TRUE(audio.Finish(*ctx));
  EXPECT_EQ(Boxes(*ctx), std::vector<std::string>{refused});

  audio.Start(sound::AudioOutput::Null, Unplayable());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // long done: the music is refused from its header
  EXPECT_EQ(Boxes(*ctx).size(), 1u);
  ASSERT_TRUE(audio.Finish(*ctx));
  EXPECT_EQ(Boxes(*ctx), (std::vector<std::string>{refused, refused}));
  EXPECT_FALSE(Audio().HasMusic());

  AudioError("later");
  ASSERT_EQ(Boxes(*ctx).size(), 3u);
  EXPECT_EQ(Boxes(*ctx)[2], "later\r\n(Error code: 41)");
  Audio().SetMessageHandler(nullptr);  // the context goes with the test
}

// Left without Finish (the game stops before its window opens), the thread is waited for, what it
// held back is logged, and the engine no longer reports to the object that is gone.
TEST_F(BackgroundAudioTest, LeftWithoutFinishItWaitsLogsAndLetsTheEngineGo) {
  testing::internal::CaptureStderr();
  {
    shell::BackgroundAudio audio;
    audio.Start(sound::AudioOutput::Null, Unplayable());
  }
  EXPECT_EQ(Audio().LastErrorCode(), sound::kAudioFileFormat);  // the load ran to its end
  Audio().Note("after the start-up");
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Can't play file"), std::string::npos) << log;
  EXPECT_NE(log.find("snd.tor: not in the archive"), std::string::npos) << log;
  EXPECT_NE(log.find("after the start-up"), std::string::npos) << log;
  EXPECT_TRUE(Boxes(*ctx).empty());
}

}  // namespace
}  // namespace vlm::test
