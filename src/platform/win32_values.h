// Handle types and the Win32 values that cross the platform seam. Every backend
// uses these numbers, so the program's logic reads the same on every platform and
// the Windows backend passes them through unchanged.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define PLATFORM_CALLBACK __stdcall
#else
#define PLATFORM_CALLBACK
#endif

namespace platform {

// An HWND on Windows; the backend's own window record elsewhere.
using WindowHandle = void*;

using DialogResult = intptr_t;
using DialogProcedure = DialogResult(PLATFORM_CALLBACK*)(WindowHandle window, unsigned message,
                                                         uintptr_t wParam, intptr_t lParam);

constexpr DialogResult kTrue = 1;
constexpr DialogResult kFalse = 0;

// Window messages.
constexpr unsigned kWmDestroy = 0x0002;
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmNotify = 0x004E;
constexpr unsigned kWmInitDialog = 0x0110;
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmDropFiles = 0x0233;

// Standard command ids.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// A button click arrives as WM_COMMAND with the control id in the low word.
constexpr int CommandId(uintptr_t wParam) { return static_cast<int>(wParam & 0xFFFF); }

// An accelerator's command arrives with 1 in the high word.
constexpr uintptr_t kAcceleratorNotification = 1;

// Accelerator flags: a virtual-key code, and the modifiers held with it.
constexpr uint8_t kFVirtKey = 0x01;
constexpr uint8_t kFShift = 0x04;
constexpr uint8_t kFControl = 0x08;
constexpr uint8_t kFAlt = 0x10;

// What WM_NOTIFY's lParam points to: who sends the notice, and which notice it is
// (NMHDR's layout).
struct NotifyHeader {
  WindowHandle from;
  uintptr_t fromId;
  uint32_t code;
};

// Window and control styles.
constexpr uint32_t kWsPopup = 0x80000000;
constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsCaption = 0x00C00000;
constexpr uint32_t kWsBorder = 0x00800000;
constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsTabStop = 0x00010000;
constexpr uint32_t kWsClipSiblings = 0x04000000;
constexpr uint32_t kDs3dLook = 0x4;
constexpr uint32_t kDsControl = 0x400;
constexpr uint32_t kDsModalFrame = 0x80;
constexpr uint32_t kDsSetFont = 0x40;
constexpr uint32_t kWsExToolWindow = 0x80;
constexpr uint32_t kBsPushButton = 0x0;
constexpr uint32_t kBsDefPushButton = 0x1;
constexpr uint32_t kBsAutoCheckBox = 0x3;
constexpr uint32_t kEsAutoHScroll = 0x80;
constexpr uint32_t kEsReadOnly = 0x800;
constexpr uint32_t kSsLeft = 0x0;
constexpr uint32_t kSsOwnerDraw = 0xD;
constexpr uint32_t kSsTypeMask = 0x1F;

// Message box styles.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbIconInformation = 0x40;

// The open-file record's size without its later extension fields (32-bit layout).
constexpr uint32_t kOpenFileNameSize400 = 76;

// Open-file chooser flags.
constexpr uint32_t kOfnHideReadOnly = 0x4;
constexpr uint32_t kOfnFileMustExist = 0x1000;
constexpr uint32_t kOfnEnableHook = 0x20;
constexpr uint32_t kOfnEnableTemplate = 0x40;
constexpr uint32_t kOfnExplorer = 0x80000;

// The chooser's notice to its hook that the selection changed (CDN_SELCHANGE), and the
// control of its template that stands for the chooser's own controls (stc32).
constexpr uint32_t kCdnSelChange = 0u - 602u;
constexpr int kChooserControlsPlace = 0x045F;

// Sound.
constexpr uint32_t kDsBufferDescriptionSize = 36;  // DSBUFFERDESC on the 32-bit target
constexpr uint32_t kDsSclPriority = 2;
constexpr uint32_t kDsbCapsPrimaryBuffer = 0x1;
constexpr uint32_t kDsbPlayLooping = 0x1;
constexpr uint16_t kWaveFormatPcm = 1;

}  // namespace platform
