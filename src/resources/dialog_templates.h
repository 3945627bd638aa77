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
};

// The template with this id, or null.
const DialogTemplate* FindDialogTemplate(int templateId);

}  // namespace resources
