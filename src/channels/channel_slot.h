// The sample file attached to each channel row, and the Channel Properties window.
#pragma once

#include <cstdint>

#include "platform/win32_values.h"

// Paths hold at most 199 characters and their terminating NUL.
constexpr uint32_t kPathCapacity = 200;

// Runs the open-file chooser the way both of the program's choosers use it: the record
// without its later extension fields, the first filter pair selected, and a path buffer
// of kPathCapacity characters that holds the path to start with and receives the choice;
// with kOfnEnableHook, the hook runs a pane built from the template beside the chooser's
// controls. Non-zero when a path was chosen.
int RunPathChooser(platform::WindowHandle owner, const char* filter, char* path, const char* title,
                   uint32_t flags, const char* defaultExtension,
                   platform::DialogProcedure hook = nullptr, int templateId = 0);

class ChannelSlot {
 public:
  ChannelSlot();

  // The path of the slot's sample file; empty when none is attached.
  const char* FileName() const;

  // Attaches the file at path, which holds fewer than kPathCapacity bytes.
  void Attach(const char* path);

  // Asks for a sample file with the chooser, modal to the owner window. 0 when one was
  // chosen; -1 otherwise, and then the slot's file is detached.
  int ChooseFile(platform::WindowHandle owner);

  // Runs Channel Properties for this slot; returns the first byte of the file name
  // when the window ended: non-zero when the slot then held a file.
  platform::DialogResult ShowProperties(platform::WindowHandle owner);

  // Plays the slot's sample file in the Sound Preview; returns 0.
  int PreviewSample(platform::WindowHandle owner);

  // Fills the region with the first samples of the slot's row from its file, as
  // ReadRowSamples takes it; a short source leaves the rest of the region as it was.
  // The file is open only during the call, so every preview starts at the beginning.
  // 0, or -1 when the file cannot be read as the row's samples.
  int ReadSamples(void* region, uint32_t byteCount);

 private:
  int Row() const;  // the slot's row in kChannelRows

  char fileName[kPathCapacity];
};

extern ChannelSlot pulseSlots[4];
extern ChannelSlot triangleSlot;
extern ChannelSlot noiseSlots[2];

// The Channel Properties window's dialog procedure, working on activeSlot.
platform::DialogResult PLATFORM_CALLBACK ChannelPropertiesProcedure(platform::WindowHandle window,
                                                                    unsigned message,
                                                                    uintptr_t wParam,
                                                                    intptr_t lParam);
