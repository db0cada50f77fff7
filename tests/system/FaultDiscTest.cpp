// tests/system/FaultDiscTest.cpp
// The bench's failing disc read as the program reads a disc: behind a
// CD-ROM letter, through FileStream, in the copier's 100000-byte chunks.
#include "BenchDrive.h"
#include "install/FileStream.h"
#include "support/BenchState.h"
#include "support/FaultDisc.h"
#include "support/Table.h"

#include <cstdlib>
#include <sstream>

namespace
{
const unsigned Chunk = 100000;
const unsigned Rate = 2000000;

struct DiscRow : table::Row
{
    void (*arrange)(bench::FaultDisc& disc);
    const char* file;
    int passes;
    // Bytes each pass delivers before its read fails or the file ends.
    unsigned delivered;
    // The last error after the failing read or open; 0 when none fails.
    DWORD error;
    // Whether another file of the disc still reads.
    bool answers;
    // Read requests of the file that reached the disc, all passes together.
    size_t requests;
    unsigned rate = 0;
};

// clang-format off
const DiscRow Discs[] = {
    {{"WithoutFaultsEveryPassReachesTheDisc"}, [](bench::FaultDisc&) {}, "base.pak", 2, 250000, 0, true, 6},
    // Wine fills a short read with another request; its failure leaves the
    // bytes before it delivered, and the next read fails.
    {{"AScratchFailsEveryReadFromItsOffset"}, [](bench::FaultDisc& d) { d.Scratch("BASE.PAK", 123457); },
     "base.pak", 2, 123457, ERROR_NOT_READY, true, 8},
    {{"AScratchInTheFirstChunk"}, [](bench::FaultDisc& d) { d.Scratch("story.dat", 5); },
     "story.dat", 1, 5, ERROR_NOT_READY, true, 3},
    {{"TheDiscTakenOutAtAnOffset"}, [](bench::FaultDisc& d) { d.EjectAt("base.pak", 150000); },
     "base.pak", 1, 150000, ERROR_NOT_READY, false, 4},
    {{"TheDiscTakenOutNow"}, [](bench::FaultDisc& d) { d.Eject(); }, "base.pak", 1, 0, ERROR_NOT_READY, false, 0},
    {{"ASlowDriveAnswersAfterTheTimeAtItsRate"}, [](bench::FaultDisc& d) { d.Rate(Rate); },
     "base.pak", 1, 250000, 0, true, 3, Rate},
};
// clang-format on

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

class FaultDiscTest : public testing::TestWithParam<DiscRow>
{
protected:
    void SetUp() override { bench::RemoveBenchDrives(); }
    void TearDown() override { bench::RemoveBenchDrives(); }
};

TEST_P(FaultDiscTest, ReadsAsArranged)
{
    const DiscRow& row = GetParam();
    bench::FaultDisc disc(1);
    SKIP_WITHOUT_FAULT_DISC(disc);
    ASSERT_TRUE(bench::InsertDisc('d', bench::WindowsPath(disc.Unix()) + "\\", "hoshikage1"));
    disc.StartLog();
    row.arrange(disc);

    std::string source = bench::ReadFileBytes(bench::Disc(1) + row.file);
    for (int i = 0; i < row.passes; ++i)
    {
        DWORD error = 0;
        std::string bytes = ReadWhole(std::string("D:\\") + row.file, &error);
        EXPECT_EQ(row.delivered, bytes.size()) << "pass " << i;
        EXPECT_TRUE(source.compare(0, bytes.size(), bytes) == 0) << "pass " << i;
        EXPECT_EQ(row.error, error) << "pass " << i;
    }
    DWORD error = 0;
    EXPECT_EQ(row.answers, ReadWhole("D:\\imgdec.dll", &error).size() == 50000) << "another file";

    size_t requests = 0;
    for (const std::string& line : disc.LogLines())
    {
        std::istringstream fields(line);
        std::string op, file, result;
        unsigned long offset = 0, size = 0, micros = 0;
        if (!(fields >> op >> file >> offset >> size >> result >> micros) || op != "read" || file != row.file)
            continue;
        ++requests;
        if (row.rate != 0 && isdigit(static_cast<unsigned char>(result[0])))
        {
            EXPECT_GE(micros, std::strtoul(result.c_str(), nullptr, 10) * 1000000.0 / row.rate) << line;
        }
    }
    EXPECT_EQ(row.requests, requests);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultDiscTest, testing::ValuesIn(Discs), table::RowName());
} // namespace
