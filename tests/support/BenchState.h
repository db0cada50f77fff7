// tests/support/BenchState.h
// What the tests arrange and inspect on the bench: the install record, the
// Start-menu entry, files and folders, the sample discs.
#pragma once

#include "sys/Win32.h"

#include <map>
#include <string>
#include <vector>

namespace bench
{
// Removes the install record and the Start-menu entry, and whatever else
// lies in the maker's key and Start-menu folder, as if the game had never
// been installed.
void ForgetInstall();

// Whether the path's last character is a backslash: the last byte of ソ or
// 表 is 0x5C too.
bool EndsWithBackslash(const std::string& path);

// Deletes the record key alone, as if behind the program's back.
void DeleteRecord();
bool RecordExists();
// False when the value is missing.
bool ReadRecordValue(const char* name, std::string* value);
// Creates the record key; a null value is left out.
void WriteRecord(const char* install, const char* directory);
// A key under HKEY_CURRENT_USER, and the names of the keys in it (sorted).
bool KeyExists(const char* subkey);
std::vector<std::string> Subkeys(const char* subkey);

// Takes a registry value away while the object lives, in this process's
// view of the registry (the one a setup.exe of the same build reads), and
// then puts it back. It waits meanwhile beside itself under another name,
// so that after a test program that died half-way the next one puts it
// back (RestoreHiddenValues: the values the tests hide, ProgramFilesDir and
// Programs).
class HiddenValue
{
public:
    HiddenValue(HKEY root, const char* subkey, const char* name);
    ~HiddenValue();

    HiddenValue(const HiddenValue&) = delete;
    HiddenValue& operator=(const HiddenValue&) = delete;

private:
    HKEY m_root;
    std::string m_subkey;
    std::string m_name;
    bool m_hidden;
};
void RestoreHiddenValues();

// The user's Programs folder as the registry names it, with a backslash.
std::string ProgramsFolder();
// Programs + "morihane\～ ほしかげ ～\".
std::string StartMenuFolder();
std::string LinkPath();

// Makes Wine load dll ("comctl32") in programs of that file name
// ("setup.exe") in the order given ("native,builtin": first a file found
// as Windows searches for it, then Wine's own), from their next start on.
// Wine keys such overrides by file name; a child reads WINEDLLOVERRIDES
// from the Unix environment it inherits, not from its environment block.
void OverrideDll(const std::string& program, const std::string& dll, const std::string& order);
// Drops every override of programs of that name.
void ForgetDllOverrides(const std::string& program);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Deletes a folder with everything in it; harmless when it is missing.
void RemoveTree(const std::string& path);
// Creates every folder along path.
void MakeFolders(const std::string& path);

// $BENCH_ROOT as a Unix path, and as a Windows path with a backslash.
std::string RootUnix();
std::string Root();
// The sample disc folder (1 or 2) as a Unix path.
std::string DiscUnix(int disc);
// The same as a Windows path with a backslash.
std::string Disc(int disc);
// The files of the install lists in list order: the five common ones, then
// for a full install the voice archives of disc 1 and of disc 2.
std::vector<std::string> ListedFiles(bool full);
// Where a listed file lies on the sample discs.
std::string DiscFile(const std::string& name);
// The Unix path of a path on Wine's Z: drive or the prefix's C:, without a
// trailing slash.
// Two-byte characters pass unchanged; Wine turns them into UTF-8 when the
// path goes to a Unix program.
std::string UnixPath(const std::string& windowsPath);
// The bench's small file systems under $BENCH_ROOT/mnt: "small" holds
// 256 KiB, "space" 1300 MiB. Empties the one named and returns its Unix
// path. Where the bench did not mount it (mounting needs root) the running
// test is marked skipped and "" comes back: the test returns then.
std::string TestMount(const char* name);
// The same as a fixed drive letter. A drive that cannot be defined fails
// the test. False when the test cannot go on.
bool TestMountAsDrive(const char* name, char letter);
// A file in folder that every write fails on, as on a full disk: a link
// to /dev/full. Returns its Windows path; RemoveTree takes it away.
std::string FullDiskFile(const std::string& folder, const char* name);
// The names directly inside a folder (ending with a backslash), sorted,
// without "." and "..".
std::vector<std::string> FolderContents(const std::string& folder);

// A shell link read from the file's own bytes, in the published format:
// the texts as UTF-8 ("" for a text the link does not hold), the flags and
// the show command of the header, and all of it in one line (listing) for
// messages.
struct LinkInfo
{
    std::string listing;
    std::string localPath;
    std::string workingDirectory;
    std::string arguments;
    unsigned flags = 0;
    unsigned showCommand = 0;
};
LinkInfo ReadLink(const std::string& linkPath);

// Shift-JIS text as UTF-8, as Unix programs print it.
std::string Utf8(const std::string& ansiText);

// Runs a shell command on the Linux side of the bench (Wine starts Unix
// programs too) and returns what it printed, stdout and stderr together.
// The command holds no double quote, and its own output goes to the
// caller: a redirection of stdout at its end is overridden. Fails the test when it does not
// finish within timeoutMs.
std::string RunUnix(const std::string& command, unsigned timeoutMs = 30000);

// An empty folder of the running test's own, short whatever the test's
// name: Root() + "s64\" (or "s32\") + eight hex digits + "\".
std::string Scratch();

// A disc: the folder (a Windows path with a backslash) holding the files,
// named relative to it (folders made as needed). Returns the folder.
std::string MakeDisc(const std::string& folder, const std::map<std::string, std::string>& files);
// Puts a disc folder (a Windows path) into the CD-ROM drive letter with
// that volume label.
bool InsertDisc(char letter, const std::string& disc, const std::string& label);
} // namespace bench
