// The one seam to the Windows platform: user32, gdi32, kernel32, shell32,
// ole32, advapi32, winmm and Winsock. On Windows the real headers; elsewhere
// the declarations of our stand-ins.
#pragma once

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <winsock2.h>
#  include <ws2tcpip.h>
#  include <windows.h>
#  include <shlobj.h>
#  include <shellapi.h>
#  include <knownfolders.h>
#  include <mmsystem.h>
#else
#  include "platform/standin/wintypes.h"
#  include "platform/standin/kernel32.h"
#  include "platform/standin/shell32.h"
#  include "platform/standin/advapi32.h"
#  include "platform/standin/user32.h"
#  include "platform/standin/gdi32.h"
#  include "platform/standin/winmm.h"
#  include "platform/standin/winsock.h"
#endif
