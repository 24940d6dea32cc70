// The window code's way into the Windows API: the backend's support header, then
// the common controls and the shell.
#pragma once

#include "platform/win32/WindowsSupport.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
