// Resource and control identifiers shared by the windows and the Windows resource script.
#pragma once

#define IDD_COMPOSER 101
#define IDD_CHANNEL_PROPERTIES 103
#define IDD_SOUND_PREVIEW 104
#define IDI_COMPOSER 105

// Channel Properties controls.
#define IDC_PROPERTIES_FILE_NAME 1027
#define IDC_PROPERTIES_BROWSE 1028

// Sound Preview control.
#define IDC_PREVIEW_OK 1029
