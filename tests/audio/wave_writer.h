// Points OpenAL Soft at its wave writer, so that every sample the mixer plays lands,
// bit for bit, in one file: the sound card of the audio tests and the preview benchmark.
#pragma once

#include <string>

// Writes the configuration into a fresh folder and names it in ALSOFT_CONF. Must run
// before the first OpenAL call: OpenAL reads its configuration once per process.
void ConfigureWaveWriter();
// Removes the folder with the configuration and the capture.
void RemoveWaveWriterFolder();

// The folder the wave writer writes into. While it is missing the writer cannot open
// its file, and OpenAL then has no device at all.
std::string CaptureFolder();
// Rewritten from its start whenever a device opens.
std::string CaptureFile();
