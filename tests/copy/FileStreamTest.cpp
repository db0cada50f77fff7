// tests/copy/FileStreamTest.cpp
// The file stream on real files: chunk lengths, positions, truncation and
// the handle it owns.
#include "TestFiles.h"

#include "install/FileStream.h"
#include "support/BenchState.h"
#include "support/Table.h"
#include "support/WindowProbe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const unsigned Chunk = 100000;

// Whether another writer can open the file right now: the stream shares
// reading only, so this fails while a stream holds the file for reading.
bool CanOpenForWriting(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Grows the file from the Unix side while a stream holds it for reading
// alone. Not through bench::RunUnix: Wine hands back no handles for a Unix
// program, only stale bytes in hThread, which RunUnix closes, and they can
// name the stream's own file.
bool GrowFromUnix(const std::string& path, unsigned size)
{
    std::string line = "/usr/bin/truncate -s " + std::to_string(size) + " \"" + bench::UnixPath(path) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)
        && probe::WaitUntil([&] { return copytest::FileLength(path) == size; }, 10000);
}

struct ChunkRow : table::Row
{
    unsigned size;
    // What the file grows to, from the Unix side, once it is open; 0 for a
    // file that keeps its length.
    unsigned grownTo;
    std::vector<unsigned> chunks;
    // After each chunk: the source's Tell and the destination's Size.
    std::vector<unsigned> positions;
};

const ChunkRow Chunks[] = {
    {{"ALastShortChunk"}, 250000, 0, {100000, 100000, 50000, 0}, {100000, 200000, 250000, 250000}},
    {{"AnExactMultipleOfTheChunk"}, 200000, 0, {100000, 100000, 0}, {100000, 200000, 200000}},
    {{"AFileThatGrowsIsReadToItsLengthAtOpening"}, 150000, 250000, {100000, 50000, 0, 0},
     {100000, 150000, 150000, 150000}},
};

class FileStreamTest : public testing::Test
{
protected:
    void SetUp() override { folder = bench::Scratch(); }

    std::string MakeFile(const char* name, unsigned size)
    {
        std::string path = folder + name;
        EXPECT_TRUE(copytest::MakePatternedFile(path, size)) << path;
        return path;
    }

    std::string folder;
};

class FileStreamChunkTest : public FileStreamTest, public testing::WithParamInterface<ChunkRow>
{
};

TEST_P(FileStreamChunkTest, CopyFromMovesTheChunksOfTheLengthAtOpening)
{
    const ChunkRow& row = GetParam();
    std::string sourcePath = MakeFile("source.bin", row.size);
    std::string destPath = folder + "dest.bin";
    FileStream source;
    FileStream dest;
    ASSERT_EQ(1, source.Open(sourcePath.c_str(), 0));
    ASSERT_EQ(1, dest.Open(destPath.c_str(), 1));
    if (row.grownTo != 0)
    {
        ASSERT_TRUE(GrowFromUnix(sourcePath, row.grownTo));
    }
    EXPECT_EQ(row.size, source.Size());

    std::vector<unsigned> chunks;
    std::vector<unsigned> tells;
    std::vector<unsigned> sizes;
    for (size_t i = 0; i < row.chunks.size(); ++i)
    {
        chunks.push_back(dest.CopyFrom(source, Chunk));
        tells.push_back(source.Tell());
        sizes.push_back(dest.Size());
    }
    EXPECT_EQ(row.chunks, chunks);
    EXPECT_EQ(row.positions, tells);
    EXPECT_EQ(row.positions, sizes) << "the written size follows the bytes moved";
    dest.Close();
    EXPECT_EQ(row.positions.back(), copytest::FileLength(destPath));
    EXPECT_EQ(row.positions.back(), copytest::MatchingPrefix(destPath));
}

INSTANTIATE_TEST_SUITE_P(Rows, FileStreamChunkTest, testing::ValuesIn(Chunks), table::RowName());

TEST_F(FileStreamTest, OpeningForWritingTruncatesAndAFailedWriteCountsNothing)
{
    std::string path = MakeFile("old.bin", 5000);
    FileStream stream;
    ASSERT_EQ(1, stream.Open(path.c_str(), 1));
    EXPECT_EQ(0, copytest::FileLength(path)) << "emptied at opening, not at the first write";
    EXPECT_EQ(0, stream.Open((folder + "no-such-folder\\dest.bin").c_str(), 1));

    FileStream source;
    ASSERT_EQ(1, source.Open(MakeFile("source.bin", 250000).c_str(), 0));
    ASSERT_EQ(1, stream.Open(bench::FullDiskFile(folder, "full.bin").c_str(), 1));
    EXPECT_EQ(0u, stream.CopyFrom(source, Chunk));
    EXPECT_EQ(0u, stream.Size());
}

TEST_F(FileStreamTest, HoldsOneFileAtATimeUntilClosedOrGone)
{
    std::string first = MakeFile("first.bin", 1000);
    std::string second = MakeFile("second.bin", 2000);
    {
        FileStream stream;
        EXPECT_EQ(1, stream.Close()) << "never opened";
        ASSERT_EQ(1, stream.Open(first.c_str(), 0));
        ASSERT_FALSE(CanOpenForWriting(first)) << "the stream should hold the file";
        ASSERT_EQ(1, stream.Open(second.c_str(), 0));
        EXPECT_TRUE(CanOpenForWriting(first));
        EXPECT_FALSE(CanOpenForWriting(second));
        EXPECT_EQ(2000u, stream.Size());
        // A failed open releases the old file all the same.
        EXPECT_EQ(0, stream.Open((folder + "missing.bin").c_str(), 0));
        EXPECT_TRUE(CanOpenForWriting(second));
        EXPECT_EQ(1, stream.Close()) << "closed twice";
        ASSERT_EQ(1, stream.Open(first.c_str(), 0));
        EXPECT_EQ(1000u, stream.Size());
    }
    EXPECT_TRUE(CanOpenForWriting(first)) << "the destructor kept the file";
}
} // namespace
