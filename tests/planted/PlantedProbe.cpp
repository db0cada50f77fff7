// tests/planted/PlantedProbe.cpp
// A program that searches for DLLs as Windows does by default, its own
// folder first. Beside the planted DLLs it loads them: the control that
// shows the bench could tell if setup.exe did too.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    LoadLibraryA("comctl32.dll");
    // Wine's user32 asks for uxtheme by name when the first window is made.
    DestroyWindow(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr));
    return 0;
}
