// "Save...": the seven slots' samples written as one Synth file the user names.
#pragma once

#include "platform/win32_values.h"
#include "synthfile/synth_format.h"

// The choosers' filter for a Synth file, then any file.
constexpr char kSynthFilter[] = "Synth Files(*.syn)\0*.syn\0All Files\0*.*\0";

// Asks for the target, then writes it. 0 after a save; 2 when the chooser was
// cancelled or failed (nothing written); -1 on failure, with any file that was
// there left as it was.
int SaveSynthFile(platform::WindowHandle owner);
