#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "preview/sound_preview.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

class Channels : public ComposerTest {
 protected:
  TempFolder folder;
};

std::string Label(const fake::Window& main, int row) {
  return fake::ControlText(main, kStatusLabelFirstId + row);
}

// The bytes the preview played for the row's "S".
Bytes PreviewOfRow(int row) {
  const size_t before = fake::PlayedSounds().size();
  RunMainWindow([row](fake::Window& main) { fake::Click(main, kSamplePreviewFirstId + row); });
  EXPECT_EQ(fake::PlayedSounds().size(), before + 1);
  return fake::PlayedSounds().back().bytes;
}

Bytes Silence() { return Bytes(kPreviewBytes, 0); }

}  // namespace

TEST_F(Channels, PropertiesShowThePathAndTheLabelFollowsTheResult) {
  const std::string path = folder.Write("kick drum é.pcm", {1, 2, 3, 4});
  RunMainWindow([&](fake::Window& main) {
    AttachThroughProperties(main, Triangle, path);
    EXPECT_EQ(Label(main, Triangle), "PCM");
    EXPECT_EQ(std::string(triangleSlot.FileName()), path);

    // Reopened: the field shows the full path; OK keeps it.
    fake::Script(IDD_CHANNEL_PROPERTIES, [&](fake::Window& properties) {
      EXPECT_EQ(fake::ControlText(properties, IDC_PROPERTIES_FILE_NAME), path);
      EXPECT_EQ(activeSlot, &triangleSlot);
      fake::Click(properties, platform::kIdOk);
      EXPECT_EQ(*properties.endResult, static_cast<unsigned char>(path[0]));
    });
    fake::Click(main, kPropertiesFirstId + Triangle);
    EXPECT_EQ(activeSlot, nullptr);
    EXPECT_EQ(Label(main, Triangle), "PCM");

    // Cancel empties the field at once; OK then gives 0 and the label goes back to "-".
    fake::Choose(std::nullopt);
    fake::Script(IDD_CHANNEL_PROPERTIES, [](fake::Window& properties) {
      fake::Click(properties, IDC_PROPERTIES_BROWSE);
      EXPECT_EQ(fake::ControlText(properties, IDC_PROPERTIES_FILE_NAME), "");
      fake::Click(properties, platform::kIdOk);
      EXPECT_EQ(*properties.endResult, 0);
    });
    fake::Click(main, kPropertiesFirstId + Triangle);
    EXPECT_EQ(Label(main, Triangle), "-");
    EXPECT_EQ(std::string(triangleSlot.FileName()), "");
    // The other rows are untouched.
    for (int row = 0; row < kRowCount; ++row) {
      if (row != Triangle) {
        EXPECT_EQ(Label(main, row), "-") << row;
      }
    }
  });
}

TEST_F(Channels, OneChooserBufferForAllRowsModalToChannelProperties) {
  const std::string first = folder.Write("first.pcm", {});
  const std::string second = folder.Write("second.pcm", {});
  RunMainWindow([&](fake::Window& main) {
    AttachThroughProperties(main, 0, first);
    AttachThroughProperties(main, 3, std::nullopt);
    AttachThroughProperties(main, 6, second);
    AttachThroughProperties(main, 1, std::nullopt);
  });
  const auto& choosers = fake::Choosers();
  ASSERT_EQ(choosers.size(), 4u);
  // Each opens with the last path chosen for any row; a cancel does not clear it.
  EXPECT_EQ(choosers[1].initialFile, first);
  EXPECT_EQ(choosers[2].initialFile, first);
  EXPECT_EQ(choosers[3].initialFile, second);
  for (const fake::ChooserRecord& chooser : choosers) {
    EXPECT_EQ(chooser.request.structSize, 76u);
    ASSERT_NE(chooser.owner, nullptr);
    EXPECT_EQ(chooser.owner->templateId, IDD_CHANNEL_PROPERTIES);
    EXPECT_EQ(chooser.filter,
              (std::vector<std::string>{"PCM Wave Format", "*.pcm", "All Files", "*.*"}));
    EXPECT_EQ(chooser.request.filterIndex, 1u);
    EXPECT_EQ(chooser.request.maxFile, 200u);
    EXPECT_EQ(chooser.title, "Open Wave...");
    EXPECT_EQ(chooser.request.flags, 0x1004u);
    EXPECT_EQ(chooser.defaultExtension, "pcm");
  }
  EXPECT_EQ(std::string(pulseSlots[0].FileName()), first);
  EXPECT_EQ(std::string(noiseSlots[1].FileName()), second);
}

TEST_F(Channels, PathsUpTo199BytesFit) {
  const std::string folderPrefix = folder.Path("");
  const std::string fits = folderPrefix + std::string(199 - folderPrefix.size(), 'f');
  const std::string tooLong = folderPrefix + std::string(200 - folderPrefix.size(), 'g');
  RunMainWindow([&](fake::Window& main) {
    AttachThroughProperties(main, 2, fits);
    EXPECT_EQ(Label(main, 2), "PCM");
    EXPECT_EQ(std::string(pulseSlots[2].FileName()), fits);
    AttachThroughProperties(main, 2, tooLong);
    EXPECT_EQ(Label(main, 2), "-");
    EXPECT_EQ(std::string(pulseSlots[2].FileName()), "");
  });
}

TEST_F(Channels, SamplePreviewPlaysTheFileFromItsStartEachTime) {
  const Bytes shortFile = RandomBytes(1001, 7);  // odd: the last byte is half a sample
  Attach(1, folder.Write("short one.pcm", shortFile));
  for (int preview = 0; preview < 2; ++preview) {
    Bytes expected = Silence();
    std::copy(shortFile.begin(), shortFile.end(), expected.begin());
    EXPECT_EQ(PreviewOfRow(1), expected) << "preview " << preview;
  }

  const Bytes longFile = RandomBytes(kPreviewBytes + 5000, 8);
  Attach(4, folder.Write("long.pcm", longFile));
  EXPECT_EQ(PreviewOfRow(4), Bytes(longFile.begin(), longFile.begin() + kPreviewBytes));
  EXPECT_EQ(PreviewOfRow(4), Bytes(longFile.begin(), longFile.begin() + kPreviewBytes));
}

TEST_F(Channels, UnreadableSamplesGiveASilentPreviewThatOkCloses) {
  const std::string missing = folder.Write("gone.pcm", {9, 9});
  Attach(0, missing);
  std::remove(missing.c_str());
  ASSERT_EQ(mkfifo(folder.Path("pipe.pcm").c_str(), 0600), 0);
  ASSERT_EQ(mkdir(folder.Path("folder.pcm").c_str(), 0700), 0);
  Attach(1, folder.Path("pipe.pcm"));
  Attach(2, folder.Path("folder.pcm"));
  Attach(3, "/dev/zero");
  // Row 5 has no file at all.
  for (int row : {0, 1, 2, 3, 5}) {
    fake::Reset();
    EXPECT_EQ(PreviewOfRow(row), Silence()) << "row " << row;
    ASSERT_EQ(fake::Dialogs().size(), 2u);
    EXPECT_EQ(*fake::Dialogs()[1]->endResult, 0) << "OK closes the silent preview";
  }
}

TEST_F(Channels, EverySamplePreviewClosesItsFile) {
  Attach(6, folder.Write("loop.pcm", RandomBytes(64, 9)));
  const int descriptors = OpenDescriptorCount();
  RunMainWindow([](fake::Window& main) {
    for (int preview = 0; preview < 1000; ++preview) fake::Click(main, kSamplePreviewFirstId + 6);
  });
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
  EXPECT_EQ(fake::PlayedSounds().size(), 1000u);
}
