// src/sys/Win32.h
// The one place that includes <windows.h>: every file of the program
// includes this instead, so the settings below hold everywhere.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef STRICT
#define STRICT
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef _WIN32_IE
#define _WIN32_IE 0x0500
#endif

#include <windows.h>

// <windows.h> maps MessageBox to MessageBoxA/W; the dialog classes have a
// method of that name and call MessageBoxA explicitly.
#undef MessageBox
