// Whole banks and dropped files: a Synth file opened as the seven rows' samples, from the
// command line, the main window's "Open" command or a drop, and files dropped on rows.
#pragma once

#include "platform/dialogs.h"

// Attaches every row to its block of the Synth file at path, made absolute, and shows
// "PCM" on every label. 0; -1 when the file cannot be read as a Synth file, after the
// message "Could Not Open File.", with every row as it was.
int OpenBank(platform::WindowHandle window, const char* path);

// Asks for a Synth file with the main window's own chooser, then opens it; a cancelled
// chooser does nothing.
void ChooseBank(platform::WindowHandle window);

// Files dropped on the main window. One Synth file opens as a bank wherever it lands;
// otherwise the files attach to the row under the drop and to the rows below it, in
// order, and those past the last row are left out. Nothing is attached when any of them
// is not a regular file, and a path too long for a slot is told as the chooser tells it.
void TakeDroppedFiles(platform::WindowHandle window, const platform::DroppedFiles& drop);
