// tools/benchdrive/BenchDrive.h
// Drives of the Wine bench, changed while programs run: Wine's mount
// manager defines, re-points and takes away drive letters, and programs
// see the change (the label included) at their next query.
#pragma once

#include <string>

namespace bench
{
enum class DriveKind
{
    CdRom,
    Fixed
};

// Points letter at the Unix folder unixPath. For a CD-ROM whose
// .windows-label holds the label apart from case (an image, a read-only
// disc) the drive gets the file's own label and the folder stays as it is;
// otherwise the label is written to that file first. Returns true on
// success.
bool DefineDrive(char letter, DriveKind kind, const std::string& unixPath, const std::string& label = "");
// Takes the letter away.
bool RemoveDrive(char letter);
// Takes away every letter but C: and Z:.
void RemoveBenchDrives();
// The volume label Windows reports for the drive, or "" when it reports none.
std::string DriveLabel(char letter);

// The Windows path of a Unix path, through Wine's Z: drive.
std::string WindowsPath(const std::string& unixPath);
} // namespace bench
