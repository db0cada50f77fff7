// tests/support/FaultDisc.cpp
#include "support/FaultDisc.h"

#include "BenchDrive.h"
#include "support/BenchState.h"
#include "sys/Win32.h"

#include <sstream>

namespace bench
{
namespace
{
std::string MountOf(int disc)
{
    std::string name = "BENCH_FAULTDISC" + std::to_string(disc);
    const char* mount = getenv(name.c_str());
    return mount != nullptr && *mount != '\0' ? mount : RootUnix() + "/mnt/faultdisc" + std::to_string(disc);
}
} // namespace

FaultDisc::FaultDisc(int disc) : m_mount(MountOf(disc)), m_control(m_mount + ".control")
{
    if (Mounted())
        Write();
}

FaultDisc::~FaultDisc()
{
    if (Mounted())
        Clear();
}

bool FaultDisc::Mounted() const
{
    // The mount table, not the folder: an empty folder stands there too.
    std::istringstream mounts(ReadFileBytes(WindowsPath("/proc/self/mounts")));
    std::string source, point;
    std::string line;
    while (std::getline(mounts, line))
    {
        std::istringstream fields(line);
        if (fields >> source >> point && source == "faultdisc" && point == m_mount)
            return true;
    }
    return false;
}

std::string FaultDisc::Missing() const
{
    return "no fault disc mounted at " + m_mount + " (the bench says why when it cannot mount one)";
}

void FaultDisc::Scratch(const std::string& file, unsigned offset)
{
    m_rules.push_back("scratch " + std::to_string(offset) + " " + file);
    Write();
}

void FaultDisc::EjectAt(const std::string& file, unsigned offset)
{
    m_rules.push_back("eject-at " + std::to_string(offset) + " " + file);
    Write();
}

void FaultDisc::Clear()
{
    m_rules.clear();
    Write();
}

void FaultDisc::Write()
{
    // A new stamp makes every write a change, which re-arms an eject-at
    // (Wine reuses process ids); the rename lets no request read half a file.
    LARGE_INTEGER stamp;
    QueryPerformanceCounter(&stamp);
    std::string text;
    for (const std::string& rule : m_rules)
        text += rule + "\n";
    text += "# " + std::to_string(stamp.QuadPart) + "\n";
    std::string control = WindowsPath(m_control);
    std::string temporary = control + "." + std::to_string(GetCurrentProcessId());
    WriteFileBytes(temporary, text);
    ASSERT_TRUE(MoveFileExA(temporary.c_str(), control.c_str(), MOVEFILE_REPLACE_EXISTING))
        << "cannot replace " << m_control << " (error " << GetLastError() << ")";
}
} // namespace bench
