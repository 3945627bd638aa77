// Where there is no decoding library, every file that is not a Synth file is read as
// samples, as they are.
#include "samples/sound_samples.h"

SoundFileReading ReadSoundSamples(int, uint8_t*, uint32_t, uint32_t* written, std::string*) {
  *written = 0;
  return kNotASoundFile;
}
