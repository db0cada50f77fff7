// src/install/FileStream.cpp
#include "install/FileStream.h"

#include <stdlib.h>

FileStream::FileStream() : m_handle(nullptr), m_size(0), m_position(0), m_limit(0), m_kind(KIND_CLOSED)
{
}

FileStream::~FileStream()
{
    Close();
}

int FileStream::Open(const char* path, int forWrite)
{
    Close();
    HANDLE handle = forWrite
        ? CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
        : CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        m_handle = nullptr;
        return 0;
    }
    m_handle = handle;
    m_kind = KIND_FILE;
    m_size = forWrite ? 0 : GetFileSize(handle, nullptr);
    m_position = 0;
    m_limit = m_size;
    return 1;
}

unsigned FileStream::Read(void* buffer, unsigned count)
{
    if (count > m_limit - m_position)
        count = m_limit - m_position;
    DWORD got = 0;
    if (ReadFile(m_handle, buffer, count, &got, nullptr) != TRUE)
        return 0;
    m_position += got;
    return got;
}

unsigned FileStream::CopyFrom(FileStream& source, unsigned count)
{
    void* buffer = malloc(count);
    if (buffer == nullptr)
        return 0;
    unsigned got = source.Read(buffer, count);
    DWORD written = 0;
    BOOL ok = WriteFile(m_handle, buffer, got, &written, nullptr);
    free(buffer);
    if (!ok)
        return 0;
    m_size += written;
    return written;
}

unsigned FileStream::Tell()
{
    return SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT);
}

int FileStream::Close()
{
    if (m_kind == KIND_FILE && m_handle != nullptr)
    {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
    m_kind = KIND_CLOSED;
    return 1;
}
