// src/app/ArrowCursor.cpp
#include "app/ArrowCursor.h"

ArrowCursor::ArrowCursor() : m_cursor(nullptr)
{
    Apply(IDC_ARROW);
}

ArrowCursor::~ArrowCursor()
{
}

void ArrowCursor::Apply(LPCSTR cursorId)
{
    m_cursor = LoadCursorA(nullptr, cursorId);
    SetCursor(m_cursor);
}
