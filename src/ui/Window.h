// src/ui/Window.h
#pragma once

#include "sys/Win32.h"

// Owns one window handle, not the window's lifetime: the window ends by
// Destroy or with its parent, the object by deletion. One virtual handler
// per message of interest; the defaults do nothing.
class Window
{
public:
    Window();

    virtual void OnKeyDown(WPARAM virtualKey);
    virtual void OnActivateApp(WPARAM active);
    virtual void OnTimer(WPARAM timerId);
    virtual void OnCommand(int id);
    virtual void OnClose();
    virtual void OnDestroy();
    virtual void OnNotify(NMHDR* header);
    // Validates the window; controls paint themselves.
    virtual void OnPaint();
    // Destroys the window if it is still alive; harmless when it is gone.
    virtual void Destroy();
    // Leaves the window alone.
    virtual ~Window();

    BOOL Show(int showCommand);
    // Owned by this window; returns the id of the button pressed.
    int MessageBox(const char* text, const char* caption, UINT type);
    BOOL Update();

    // Kept after the window is destroyed, then stale.
    HWND Handle() const { return m_handle; }

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

protected:
    HWND m_handle;
};
