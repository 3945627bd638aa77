// The three dialog templates as data: every backend builds its windows from these.
#pragma once

#include <cstdint>

namespace resources {

enum class ControlClass { Button, Edit, Static };

// Control id of texts that are never addressed.
constexpr int kNoControlId = -1;

struct ControlTemplate {
  ControlClass controlClass;
  int id;
  const char* text;
  int16_t x, y, width, height;  // dialog units
  uint32_t style;
  // What a screen reader calls the control, also its tooltip; its text, and no
  // tooltip, when null.
  const char* accessibleName = nullptr;
  // What the control holds, for a screen reader and as its tooltip: none when null.
  const char* description = nullptr;
  // For a text: the control it labels, as a screen reader relates them.
  int labelledControlId = kNoControlId;
};

// A key that runs a command of a window, as in a Win32 accelerator table: the key's
// virtual-key code (a letter is its capital) with the modifiers that are held.
struct Accelerator {
  uint8_t modifiers;  // kFVirtKey with kFControl, kFShift, kFAlt
  uint16_t key;
  int commandId;
};

struct DialogTemplate {
  int id;
  const char* caption;
  uint32_t style;
  uint32_t extendedStyle;
  const char* fontName;
  uint16_t pointSize;
  int16_t x, y, width, height;      // dialog units
  const ControlTemplate* controls;  // in template order
  int controlCount;
  const Accelerator* accelerators = nullptr;  // the window's keys
  int acceleratorCount = 0;
};

// The template with this id, or null.
const DialogTemplate* FindDialogTemplate(int templateId);

}  // namespace resources
