// src/sys/RegKey.cpp
#include "sys/RegKey.h"

#include <string.h>

RegKey::RegKey() : m_key(nullptr)
{
}

RegKey::~RegKey()
{
    Close();
}

int RegKey::Create(HKEY root, const char* subkey)
{
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    m_key = key;
    return 1;
}

int RegKey::Open(HKEY root, const char* subkey)
{
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    m_key = key;
    return 1;
}

int RegKey::Delete(HKEY root, const char* subkey)
{
    return RegDeleteKeyA(root, subkey) == ERROR_SUCCESS ? 1 : 0;
}

LONG RegKey::ReadString(const char* name, char* buffer, DWORD capacity)
{
    if (m_key == nullptr)
        return ERROR_INVALID_HANDLE;
    DWORD size = capacity;
    LONG status = RegQueryValueExA(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS)
        return status;
    // A value stored without its terminator arrives without one.
    if (size == 0 || buffer[size - 1] != '\0')
    {
        if (size >= capacity)
            return ERROR_MORE_DATA;
        buffer[size] = '\0';
    }
    return ERROR_SUCCESS;
}

LONG RegKey::WriteString(const char* name, const char* text)
{
    if (m_key == nullptr)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(strlen(text) + 1));
}

void RegKey::Close()
{
    if (m_key != nullptr)
    {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}
