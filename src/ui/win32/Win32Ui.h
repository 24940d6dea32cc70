// The window code's way into the Windows API: the backend's support header, then
// the common controls and the shell, which need it first.
#pragma once

// clang-format off
#include "platform/win32/WindowsSupport.h"
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on
