// src/ui/Window.cpp
#include "ui/Window.h"

Window::Window() : m_handle(nullptr)
{
}

Window::~Window()
{
}

void Window::OnKeyDown(WPARAM)
{
}

void Window::OnActivateApp(WPARAM)
{
}

void Window::OnTimer(WPARAM)
{
}

void Window::OnCommand(int)
{
}

void Window::OnClose()
{
}

void Window::OnDestroy()
{
}

void Window::OnNotify(NMHDR*)
{
}

void Window::OnPaint()
{
    PAINTSTRUCT paint;
    BeginPaint(m_handle, &paint);
    EndPaint(m_handle, &paint);
}

void Window::Destroy()
{
    if (IsWindow(m_handle))
        DestroyWindow(m_handle);
}

BOOL Window::Show(int showCommand)
{
    return ShowWindow(m_handle, showCommand);
}

int Window::MessageBox(const char* text, const char* caption, UINT type)
{
    return MessageBoxA(m_handle, text, caption, type);
}

BOOL Window::Update()
{
    return UpdateWindow(m_handle);
}
