// src/sys/Shell.cpp
#include "sys/Shell.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

namespace
{
// Asked once, when the picker opens; the user's browsing is left alone.
int CALLBACK SelectInitialFolder(HWND picker, UINT notification, LPARAM, LPARAM initialPath)
{
    if (notification == BFFM_INITIALIZED)
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, initialPath);
    return 0;
}
} // namespace

int BrowseForFolder(char* path, HWND owner, const char* initialPath)
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return 0;

    BROWSEINFOA browse;
    memset(&browse, 0, sizeof(browse));
    browse.hwndOwner = owner;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = SelectInitialFolder;
    browse.lParam = reinterpret_cast<LPARAM>(initialPath);

    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen == nullptr)
    {
        allocator->Release();
        return 0;
    }
    // The shell may give no path even for a folder it let the user choose;
    // then nothing was chosen, and the caller's text must stay.
    char chosenPath[MAX_PATH] = "";
    int gotPath = SHGetPathFromIDListA(chosen, chosenPath) && chosenPath[0] != '\0';
    if (gotPath)
        memcpy(path, chosenPath, sizeof(chosenPath));
    allocator->Free(chosen);
    allocator->Release();
    return gotPath;
}

int CreateShortcut(const char* linkPath, const char* target, const char* arguments, const char* workingFolder,
                   int showCommand)
{
    // Undone only when it succeeded: a thread already in another COM mode
    // refuses it, and its COM must stay as it was.
    HRESULT com = CoInitialize(nullptr);
    int saved = 0;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))))
    {
        link->SetPath(target);
        if (arguments != nullptr)
            link->SetArguments(arguments);
        if (workingFolder != nullptr)
            link->SetWorkingDirectory(workingFolder);
        link->SetShowCmd(showCommand);

        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        {
            WCHAR widePath[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) != 0)
                saved = file->Save(widePath, TRUE) == S_OK ? 1 : 0;
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return saved;
}
