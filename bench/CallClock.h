// bench/CallClock.h
// Forced into every source of setup_timed.exe (bench/CMakeLists.txt): the
// calls the copier makes per chunk go through timed wrappers, so an install
// in the real window shows where its time goes, call by call. When the
// process ends it writes the totals to the file SETUP_CALL_CLOCK names.
// Not part of setup.exe.
#pragma once

#include "sys/Win32.h"

LRESULT WINAPI TimedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI TimedUpdateWindow(HWND window);
BOOL WINAPI TimedPeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
BOOL WINAPI TimedGetMessageA(LPMSG message, HWND window, UINT first, UINT last);
BOOL WINAPI TimedTranslateMessage(const MSG* message);
LRESULT WINAPI TimedDispatchMessageA(const MSG* message);
BOOL WINAPI TimedReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED overlapped);
BOOL WINAPI TimedWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
DWORD WINAPI TimedSetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD method);
int WINAPI TimedMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#define SendMessageA TimedSendMessageA
#define UpdateWindow TimedUpdateWindow
#define PeekMessageA TimedPeekMessageA
#define GetMessageA TimedGetMessageA
#define TranslateMessage TimedTranslateMessage
#define DispatchMessageA TimedDispatchMessageA
#define ReadFile TimedReadFile
#define WriteFile TimedWriteFile
#define SetFilePointer TimedSetFilePointer
#define MessageBoxA TimedMessageBoxA
