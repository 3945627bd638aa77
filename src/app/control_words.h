// The words a screen reader says and a tooltip shows for the composer's controls and
// windows, made from the rows' captions so that they name what each control is for.
#pragma once

#include <string>

constexpr char kNoSampleFile[] = "No sample file";

// What a main window control does, for its row: "Play the built-in Pulse Wave #1",
// "Play the sample of Pulse Wave #1", "Choose the sample of Pulse Wave #1", and
// "Sample file of Pulse Wave #1" for a status label. Empty when its text says it.
std::string ControlPurpose(int controlId);

// The row's sample file as its status label describes it: the full path, with the
// row's block when it is a Synth file ("bank.syn, block 5 (Triangle Wave)"), or
// kNoSampleFile.
std::string SampleFileDescription(int row);

// What the Sound Preview opening now plays: "Plays the built-in Pulse Wave #2" or
// "Plays the sample of Triangle Wave".
std::string PreviewDescription();
