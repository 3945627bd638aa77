// The in-memory dialog templates that the dialog manager reads, built from the
// program's one definition of each window.
#pragma once

#include <windows.h>

#include <vector>

#include "resources/dialog_templates.h"

namespace win32 {

// The template as DLGTEMPLATE (or DLGTEMPLATEEX for a window with an extended style)
// followed by its items. The vector's storage is DWORD-aligned, as the dialog manager
// requires of the template's start; items are aligned relative to it.
std::vector<WORD> BuildDialogTemplate(const resources::DialogTemplate& dialog);

}  // namespace win32
