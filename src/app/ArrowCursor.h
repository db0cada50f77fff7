// src/app/ArrowCursor.h
#pragma once

#include "sys/Win32.h"

// Makes a predefined system cursor current. The handle is shared by the
// system and is never released.
class ArrowCursor
{
public:
    ArrowCursor();
    virtual ~ArrowCursor();

    void Apply(LPCSTR cursorId);

    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;

private:
    HCURSOR m_cursor;
};
