#include <gtest/gtest.h>

#include <algorithm>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "preview/sound_preview.h"
#include "resources/resource_ids.h"
#include "synth/wave_generators.h"
#include "test_support.h"

namespace {

class Preview : public ComposerTest {};

const std::vector<std::string> kSetUp = {"CreateAudioDevice", "SetCooperativeLevel",
                                         "CreateSoundBuffer", "SetBufferFormat",
                                         "CreateSoundBuffer", "LockBuffer"};

void PlayRow(int row) {
  RunMainWindow([row](fake::Window& main) { fake::Click(main, kSynthPreviewFirstId + row); });
}

}  // namespace

TEST_F(Preview, SetsUpFillsPlaysLoopingThenStopsAndReleasesInOrder) {
  fake::Window* previewWindow = nullptr;
  fake::Script(IDD_SOUND_PREVIEW, [&](fake::Window& preview) {
    previewWindow = &preview;
    std::vector<std::string> playing = kSetUp;
    playing.insert(playing.end(), {"UnlockBuffer", "PlayBuffer"});
    EXPECT_EQ(fake::AudioCalls(), playing);
    EXPECT_EQ(fake::Click(preview, IDC_PREVIEW_OK), platform::kTrue);
  });
  PlayRow(Pulse25);

  EXPECT_EQ(fake::AudioCalls(),
            (std::vector<std::string>{"CreateAudioDevice", "SetCooperativeLevel",
                                      "CreateSoundBuffer", "SetBufferFormat", "CreateSoundBuffer",
                                      "LockBuffer", "UnlockBuffer", "PlayBuffer", "StopBuffer",
                                      "ReleaseBuffer", "ReleaseBuffer", "ReleaseDevice"}));
  EXPECT_EQ(fake::CooperativeLevels(), std::vector<uint32_t>{2});
  ASSERT_NE(previewWindow, nullptr);
  EXPECT_EQ(*previewWindow->endResult, 0);

  // The primary buffer: no size, no format; then the 5-second sound buffer.
  ASSERT_EQ(fake::CreatedBuffers().size(), 2u);
  const auto& primary = fake::CreatedBuffers()[0];
  EXPECT_EQ(primary.description.size, 36u);
  EXPECT_EQ(primary.description.flags, 1u);
  EXPECT_EQ(primary.description.bufferBytes, 0u);
  EXPECT_FALSE(primary.format);
  const auto& sound = fake::CreatedBuffers()[1];
  EXPECT_EQ(sound.description.size, 36u);
  EXPECT_EQ(sound.description.flags, 0u);
  EXPECT_EQ(sound.description.bufferBytes, 441000u);
  ASSERT_TRUE(sound.format);
  ASSERT_EQ(fake::FormatsSet().size(), 1u);
  for (const platform::WaveFormat& format : {*sound.format, fake::FormatsSet()[0]}) {
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSecond, 44100u);
    EXPECT_EQ(format.averageBytesPerSecond, 88200u);
    EXPECT_EQ(format.blockAlign, 2);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.extraSize, 18);
  }

  // The whole buffer holds the wave, played looping.
  ASSERT_EQ(fake::PlayedSounds().size(), 1u);
  Bytes expected(kPreviewBytes);
  GeneratePulse(Pulse25, expected.data(), kPreviewBytes);
  EXPECT_EQ(fake::PlayedSounds()[0].bytes, expected);
  EXPECT_EQ(fake::PlayedSounds()[0].flags, 1u);
}

TEST_F(Preview, AWaveKindOutsideTheSevenPlaysSilence) {
  currentWaveKind = 7;
  PreviewSynth(nullptr);
  ASSERT_EQ(fake::PlayedSounds().size(), 1u);
  EXPECT_EQ(fake::PlayedSounds()[0].bytes, Bytes(kPreviewBytes, 0));
}

TEST_F(Preview, AFailedSetUpStepPlaysNothingAndReleasesWhatItMadeOnce) {
  // What each set-up step creates: the device, the primary buffer, the sound buffer.
  const int createdBefore[6] = {0, 1, 1, 2, 2, 3};
  const int occurrence[6] = {1, 1, 1, 1, 2, 1};
  for (size_t step = 0; step < kSetUp.size(); ++step) {
    SCOPED_TRACE("failing step " + std::to_string(step + 1) + ", " + kSetUp[step]);
    fake::Reset();
    fake::FailAudioCall(kSetUp[step], occurrence[step]);
    fake::Window window{IDD_SOUND_PREVIEW, nullptr, SoundPreviewProcedure, {}, true, {}};
    EXPECT_EQ(StartPreview(&window), -1);
    EXPECT_EQ(fake::AudioCalls(), std::vector<std::string>(kSetUp.begin(), kSetUp.begin() + step + 1));
    EXPECT_EQ(fake::LiveAudioObjects(), createdBefore[step]);
    EXPECT_TRUE(fake::PlayedSounds().empty());
    EXPECT_EQ(StopPreview(), 0);
    EXPECT_EQ(fake::LiveAudioObjects(), 0);
    const auto& calls = fake::AudioCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ReleaseBuffer") +
                  std::count(calls.begin(), calls.end(), "ReleaseDevice"),
              createdBefore[step]);
    EXPECT_EQ(StopPreview(), 0);  // nothing is left to release twice
    EXPECT_EQ(fake::AudioCalls().size(), calls.size());

    // Through the window: silent, OK still closes, and the next preview tries again.
    fake::Reset();
    fake::FailAudioCall(kSetUp[step], occurrence[step]);
    PlayRow(Pulse50);
    PlayRow(Pulse50);
    ASSERT_EQ(fake::Dialogs().size(), 4u);
    EXPECT_EQ(*fake::Dialogs()[1]->endResult, 0);
    EXPECT_EQ(fake::PlayedSounds().size(), 1u) << "only the second preview plays";
    EXPECT_EQ(std::count(fake::AudioCalls().begin(), fake::AudioCalls().end(), "CreateAudioDevice"), 2);
  }
}
