// tools/benchdrive/Main.cpp
// benchdrive cdrom LETTER UNIX-FOLDER LABEL | fixed LETTER UNIX-FOLDER |
//            remove LETTER | reset | label LETTER | hold [FILE]
// label prints the volume label Windows reports for the drive.
// hold keeps a hidden window open until the session ends: Wine's desktop
// process otherwise quits a second after the last window of a session, and
// every test program would wait for it to start and to end again. It
// creates FILE once the window stands.
#include "BenchDrive.h"

#include <cstdio>
#include <cstring>
#include <windows.h>
#include <string>

int main(int argc, char** argv)
{
    std::string verb = argc > 1 ? argv[1] : "";
    bool ok = false;
    if (verb == "cdrom" && argc == 5)
        ok = bench::DefineDrive(argv[2][0], bench::DriveKind::CdRom, argv[3], argv[4]);
    else if (verb == "fixed" && argc == 4)
        ok = bench::DefineDrive(argv[2][0], bench::DriveKind::Fixed, argv[3]);
    else if (verb == "remove" && argc == 3)
        ok = bench::RemoveDrive(argv[2][0]);
    else if (verb == "reset" && argc == 2)
    {
        bench::RemoveBenchDrives();
        ok = true;
    }
    else if (verb == "label" && argc == 3)
    {
        std::printf("%s\n", bench::DriveLabel(argv[2][0]).c_str());
        return 0;
    }
    else if (verb == "hold" && argc <= 3)
    {
        CreateWindowA("STATIC", "bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        // Says it stands: a server ended before that would be started again
        // by this very program.
        if (argc == 3)
            CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        return 0;
    }
    else
    {
        std::fprintf(stderr, "usage: benchdrive cdrom L DIR LABEL | fixed L DIR | remove L | reset | label L | hold [FILE]\n");
        return 2;
    }
    if (!ok)
        std::fprintf(stderr, "benchdrive: %s failed (error %lu)\n", verb.c_str(), GetLastError());
    return ok ? 0 : 1;
}
