// tests/system/FaultDiscTest.cpp
// The bench's failing disc read as the program reads a disc: behind a
// CD-ROM letter, through FileStream, in the copier's 100000-byte chunks.
#include "SystemTestSupport.h"

#include "BenchDrive.h"
#include "install/FileStream.h"
#include "support/BenchState.h"
#include "support/FaultDisc.h"

#include <cstdlib>
#include <sstream>

namespace
{
const unsigned Chunk = 100000;
const unsigned Rate = 2000000;

struct DiscCase
{
    const char* name;
    void (*arrange)(bench::FaultDisc& disc);
    const char* file;
    int passes;
    // Bytes each pass delivers before its read fails or the file ends.
    unsigned delivered;
    // The last error after the failing read or open; 0 when none fails.
    DWORD error;
    // Whether the drive still lists its files and another file reads.
    bool answers;
    // Read requests of the file that reached the disc, all passes together.
    size_t requests;
    unsigned rate;
};

void PrintTo(const DiscCase& c, std::ostream* out)
{
    *out << c.name;
}

// Reads the file whole, as the copier does; error is the last error after
// a failed open or read, or 0.
std::string ReadWhole(const std::string& path, DWORD* error)
{
    std::string bytes;
    FileStream stream;
    *error = 0;
    if (!stream.Open(path.c_str(), 0))
    {
        *error = GetLastError();
        return bytes;
    }
    std::string buffer(Chunk, '\0');
    while (unsigned got = stream.Read(&buffer[0], Chunk))
        bytes.append(buffer, 0, got);
    if (bytes.size() < stream.Size())
        *error = GetLastError();
    return bytes;
}

bool DriveAnswers()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("D:\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    DWORD error = 0;
    return ReadWhole("D:\\imgdec.dll", &error).size() == 50000;
}

class FaultDiscTest : public systest::DriveTest, public testing::WithParamInterface<DiscCase>
{
};

TEST_P(FaultDiscTest, ReadsAsArranged)
{
    const DiscCase& c = GetParam();
    bench::FaultDisc disc(1);
    SKIP_WITHOUT_FAULT_DISC(disc);
    ASSERT_TRUE(bench::DefineDrive('d', bench::DriveKind::CdRom, disc.Unix(), "hoshikage1"));
    // What Wine reads for a drive defined without a label.
    EXPECT_EQ("hoshikage1\n", bench::ReadFileBytes("D:\\.windows-label"));
    disc.StartLog();
    c.arrange(disc);

    std::string source = bench::ReadFileBytes(bench::Disc(1) + c.file);
    for (int i = 0; i < c.passes; ++i)
    {
        DWORD error = 0;
        std::string bytes = ReadWhole(std::string("D:\\") + c.file, &error);
        EXPECT_EQ(c.delivered, bytes.size()) << "pass " << i;
        EXPECT_TRUE(source.compare(0, bytes.size(), bytes) == 0) << "pass " << i;
        EXPECT_EQ(c.error, error) << "pass " << i;
    }
    EXPECT_EQ(c.answers, DriveAnswers());

    size_t requests = 0;
    for (const std::string& line : disc.LogLines())
    {
        std::istringstream fields(line);
        std::string op, file, result;
        unsigned long offset = 0, size = 0, micros = 0;
        if (!(fields >> op >> file >> offset >> size >> result >> micros) || op != "read" || file != c.file)
            continue;
        ++requests;
        if (c.rate != 0 && isdigit(static_cast<unsigned char>(result[0])))
        {
            EXPECT_GE(micros, std::strtoul(result.c_str(), nullptr, 10) * 1000000.0 / c.rate) << line;
        }
    }
    EXPECT_EQ(c.requests, requests);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, FaultDiscTest, testing::Values(
    DiscCase{"WithoutFaultsEveryPassReachesTheDisc", [](bench::FaultDisc&) {},
             "base.pak", 2, 250000, 0, true, 6, 0},
    // Wine fills a short read with another request; its failure leaves the
    // bytes before it delivered, and the next read fails.
    DiscCase{"AScratchFailsEveryReadFromItsOffset", [](bench::FaultDisc& d) { d.Scratch("BASE.PAK", 123457); },
             "base.pak", 2, 123457, ERROR_NOT_READY, true, 8, 0},
    DiscCase{"AScratchInTheFirstChunk", [](bench::FaultDisc& d) { d.Scratch("story.dat", 5); },
             "story.dat", 1, 5, ERROR_NOT_READY, true, 3, 0},
    DiscCase{"TheDiscTakenOutAtAnOffset", [](bench::FaultDisc& d) { d.EjectAt("base.pak", 150000); },
             "base.pak", 1, 150000, ERROR_NOT_READY, false, 4, 0},
    DiscCase{"TheDiscTakenOutNow", [](bench::FaultDisc& d) { d.Eject(); },
             "base.pak", 1, 0, ERROR_NOT_READY, false, 0, 0},
    DiscCase{"ASlowDriveAnswersAfterTheTimeAtItsRate", [](bench::FaultDisc& d) { d.Rate(Rate); },
             "base.pak", 1, 250000, 0, true, 3, Rate}),
    [](const testing::TestParamInfo<DiscCase>& info) { return std::string(info.param.name); });
// clang-format on
} // namespace
