// SimConnect declarations: the calls, records and constants the program uses,
// in terms of the Windows base types, so they compile against the stand-ins
// and against the real <windows.h>.
#pragma once
