// The audio tests play through OpenAL Soft for real; its configuration must be in place
// before anything opens a device.
#include <gtest/gtest.h>

#include "wave_capture.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ConfigureWaveWriter();
  const int result = RUN_ALL_TESTS();
  RemoveWaveWriterFolder();
  return result;
}
