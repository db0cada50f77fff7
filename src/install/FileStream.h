// src/install/FileStream.h
#pragma once

#include "sys/Win32.h"

// One file opened for reading or for writing, moved in chunks. Sizes and
// positions are 32-bit: files of 4 GiB or more are outside its reach.
class FileStream
{
public:
    FileStream();
    virtual ~FileStream();

    // Closes what the stream held, then opens path: for reading an existing
    // file, or for writing a new or truncated one. Returns 1 or 0.
    int Open(const char* path, int forWrite);
    // Reads at most count bytes, never past the length the file had when it
    // was opened. Returns the bytes read: 0 at the end or on failure.
    unsigned Read(void* buffer, unsigned count);
    // Moves one chunk of at most count bytes from source into this stream.
    // Returns the bytes written here: 0 at the end of the source, after a
    // failed read or write, or when no chunk buffer could be had; less than
    // count when the destination took only part of it.
    unsigned CopyFrom(FileStream& source, unsigned count);
    // The low 32 bits of the file pointer.
    unsigned Tell();
    // Harmless on a closed stream. Always returns 1.
    int Close();

    // Read: the length at opening. Written: the bytes written so far.
    unsigned Size() const { return m_size; }

    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

private:
    enum Kind
    {
        KIND_CLOSED,
        KIND_FILE
    };

    HANDLE m_handle;
    unsigned m_size;
    unsigned m_position;
    unsigned m_limit;
    Kind m_kind;
};
