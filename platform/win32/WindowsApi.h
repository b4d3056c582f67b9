#pragma once

// The system's window functions for the desktop back-end.
//
// Lean: the full header also brings the multimedia header, whose constants are macros with the
// names the recorder declares as its own. The text-width macros are dropped where they would
// rename functions of the framework's (Desktop::MessageBox, Framework::CreateWindow, ...): this
// back-end calls the UTF-16 functions by their W names anyway; UNICODE makes the system's
// resource names (IDC_ARROW, ...) UTF-16 too.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateWindow
#undef FindWindow
#undef MessageBox
#undef PostMessage
#undef SetCurrentDirectory
