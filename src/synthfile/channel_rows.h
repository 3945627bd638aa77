// The seven channel rows as the Synth file knows them: their count and captions, in
// row order, which is also the order of a Synth file's blocks.
#pragma once

constexpr int kRowCount = 7;

inline constexpr const char* kRowCaptions[kRowCount] = {
    "Pulse Wave #1", "Pulse Wave #2", "Pulse Wave #3", "Pulse Wave #4",
    "Triangle Wave", "Noise Wave #1", "Noise Wave #2"};
