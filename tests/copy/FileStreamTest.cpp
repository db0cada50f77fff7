// tests/copy/FileStreamTest.cpp
// The file stream on real files: chunk lengths, positions, truncation and
// the handle it owns.
#include "TestFiles.h"

#include "BenchDrive.h"
#include "install/FileStream.h"
#include "support/BenchState.h"

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

struct ChunkCase
{
    unsigned size;
    std::vector<unsigned> chunks;
    std::vector<unsigned> tells;
};

void PrintTo(const ChunkCase& c, std::ostream* out)
{
    *out << c.size << " bytes";
}

class FileStreamChunkTest : public FileStreamTest, public testing::WithParamInterface<ChunkCase>
{
};

TEST_P(FileStreamChunkTest, ReadGivesTheChunksAndPositions)
{
    const ChunkCase& c = GetParam();
    std::string path = MakeFile("source.bin", c.size);
    FileStream stream;
    ASSERT_EQ(1, stream.Open(path.c_str(), 0));
    EXPECT_EQ(c.size, stream.Size());

    std::vector<char> buffer(Chunk);
    std::vector<unsigned> chunks;
    std::vector<unsigned> tells;
    unsigned offset = 0;
    bool contentMatches = true;
    for (size_t i = 0; i < c.chunks.size(); ++i)
    {
        unsigned got = stream.Read(buffer.data(), Chunk);
        chunks.push_back(got);
        tells.push_back(stream.Tell());
        for (unsigned k = 0; k < got && contentMatches; ++k)
            contentMatches = buffer[k] == copytest::PatternByte(offset + k);
        offset += got;
    }
    EXPECT_EQ(c.chunks, chunks);
    EXPECT_EQ(c.tells, tells);
    EXPECT_TRUE(contentMatches);
}

TEST_P(FileStreamChunkTest, CopyFromMovesTheSameChunksAndCountsThem)
{
    const ChunkCase& c = GetParam();
    std::string sourcePath = MakeFile("source.bin", c.size);
    std::string destPath = folder + "dest.bin";
    FileStream source;
    FileStream dest;
    ASSERT_EQ(1, source.Open(sourcePath.c_str(), 0));
    ASSERT_EQ(1, dest.Open(destPath.c_str(), 1));

    std::vector<unsigned> chunks;
    std::vector<unsigned> sizes;
    for (size_t i = 0; i < c.chunks.size(); ++i)
    {
        chunks.push_back(dest.CopyFrom(source, Chunk));
        sizes.push_back(dest.Size());
    }
    EXPECT_EQ(c.chunks, chunks);
    EXPECT_EQ(c.tells, sizes) << "the written size follows the bytes moved";
    dest.Close();
    source.Close();
    EXPECT_EQ(c.size, copytest::FileLength(destPath));
    EXPECT_EQ(c.size, copytest::MatchingPrefix(destPath));
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileStreamChunkTest,
                         testing::Values(ChunkCase{250000, {100000, 100000, 50000, 0}, {100000, 200000, 250000, 250000}},
                                         ChunkCase{200000, {100000, 100000, 0}, {100000, 200000, 200000}}),
                         [](const testing::TestParamInfo<ChunkCase>& info) {
                             return "Bytes" + std::to_string(info.param.size);
                         });

TEST_F(FileStreamTest, AFileThatGrowsIsReadOnlyToItsLengthAtOpening)
{
    std::string path = MakeFile("growing.bin", 150000);
    FileStream stream;
    ASSERT_EQ(1, stream.Open(path.c_str(), 0));
    // The stream shares reading only: the file grows from the Unix side.
    bench::RunUnix("truncate -s 250000 " + bench::UnixPath(path));
    ASSERT_EQ(250000, copytest::FileLength(path)) << "the file did not grow";

    std::vector<char> buffer(Chunk);
    std::vector<unsigned> chunks;
    for (int i = 0; i < 4; ++i)
        chunks.push_back(stream.Read(buffer.data(), Chunk));
    EXPECT_EQ(std::vector<unsigned>({100000, 50000, 0, 0}), chunks);
    EXPECT_EQ(150000u, stream.Size());
    EXPECT_EQ(150000u, stream.Tell());
}

TEST_F(FileStreamTest, OpeningForWritingTruncatesAnExistingFile)
{
    std::string path = MakeFile("old.bin", 5000);
    FileStream stream;
    ASSERT_EQ(1, stream.Open(path.c_str(), 1));
    EXPECT_EQ(0u, stream.Size());
    EXPECT_EQ(0, copytest::FileLength(path)) << "emptied at opening, not at the first write";
    stream.Close();
    EXPECT_EQ(0, copytest::FileLength(path));
}

TEST_F(FileStreamTest, OpenFailsForAMissingFileOrFolder)
{
    FileStream stream;
    EXPECT_EQ(0, stream.Open((folder + "missing.bin").c_str(), 0));
    EXPECT_EQ(1, stream.Close());

    std::string inMissingFolder = folder + "no-such-folder\\dest.bin";
    EXPECT_EQ(0, stream.Open(inMissingFolder.c_str(), 1));
    EXPECT_FALSE(bench::FolderExists(folder + "no-such-folder\\"));
    EXPECT_FALSE(bench::FileExists(folder + "missing.bin")) << "reading never creates";
}

TEST_F(FileStreamTest, OpenReleasesTheFileHeldBefore)
{
    std::string first = MakeFile("first.bin", 1000);
    std::string second = MakeFile("second.bin", 2000);
    FileStream stream;
    ASSERT_EQ(1, stream.Open(first.c_str(), 0));
    ASSERT_FALSE(CanOpenForWriting(first)) << "the stream should hold the file";

    ASSERT_EQ(1, stream.Open(second.c_str(), 0));
    EXPECT_TRUE(CanOpenForWriting(first));
    EXPECT_FALSE(CanOpenForWriting(second));
    EXPECT_EQ(2000u, stream.Size());

    // A failed open releases the old file all the same.
    EXPECT_EQ(0, stream.Open((folder + "missing.bin").c_str(), 0));
    EXPECT_TRUE(CanOpenForWriting(second));
}

TEST_F(FileStreamTest, CloseTwiceIsHarmless)
{
    std::string path = MakeFile("held.bin", 1000);
    {
        FileStream neverOpened;
        EXPECT_EQ(1, neverOpened.Close());
        EXPECT_EQ(1, neverOpened.Close());
    }
    FileStream stream;
    ASSERT_EQ(1, stream.Open(path.c_str(), 0));
    EXPECT_EQ(1, stream.Close());
    EXPECT_TRUE(CanOpenForWriting(path));
    EXPECT_EQ(1, stream.Close());
    // The handle is gone: the stream can be opened again from scratch.
    ASSERT_EQ(1, stream.Open(path.c_str(), 0));
    EXPECT_EQ(1000u, stream.Size());
}

TEST_F(FileStreamTest, TheDestructorReleasesTheFile)
{
    std::string path = MakeFile("held.bin", 1000);
    {
        FileStream stream;
        ASSERT_EQ(1, stream.Open(path.c_str(), 0));
        ASSERT_FALSE(CanOpenForWriting(path));
    }
    EXPECT_TRUE(CanOpenForWriting(path));
}

TEST_F(FileStreamTest, CopyFromIntoAFailingDestinationReturnsZero)
{
    std::string sourcePath = MakeFile("source.bin", 250000);
    FileStream source;
    FileStream dest;
    ASSERT_EQ(1, source.Open(sourcePath.c_str(), 0));
    ASSERT_EQ(1, dest.Open(bench::FullDiskFile(folder, "full.bin").c_str(), 1));
    EXPECT_EQ(0u, dest.CopyFrom(source, Chunk));
    EXPECT_EQ(0u, dest.Size());
}
} // namespace
