// tests/copy/TextTest.cpp
// Bounded composition: what fits, and where a text that does not is cut.
#include "support/Table.h"
#include "sys/CodePage.h"
#include "sys/Text.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace
{
class TextTest : public testing::Test
{
protected:
    void SetUp() override { LoadLeadBytes(932); }
    void TearDown() override { LoadLeadBytes(CP_ACP); }
};

struct TextRow : table::Row
{
    UINT codePage;
    size_t size;
    const char* text;
    const char* kept;
    int fits = 0;
};

// "あ" is 0x82 0xA0, "ソ" 0x83 0x5C, "歃" 0x9F 0x5C (0x9F ends a range of
// lead bytes).
const TextRow Texts[] = {
    {{"FitsExactly"}, 932, 6, "abc42", "abc42", 1},
    {{"FitsWithATwoByteCharacter"}, 932, 6, "abあc", "abあc", 1},
    {{"EmptyInOneByte"}, 932, 1, "", "", 1},
    {{"ATextIsNoFormat"}, 932, 6, "5%d%s", "5%d%s", 1},
    {{"Ascii"}, 932, 5, "abcde", "abcd"},
    {{"OneByteBuffer"}, 932, 1, "a", ""},
    {{"BeforeALeadByte"}, 932, 4, "abあ", "ab"},
    {{"AfterAWholeCharacter"}, 932, 4, "aあい", "aあ"},
    {{"InsideTheSecondCharacter"}, 932, 5, "aあい", "aあ"},
    {{"SecondByte5C"}, 932, 5, "aソソ", "aソ"},
    {{"TheLastLeadByteOfARange"}, 932, 4, "ab歃", "ab"},
    {{"OnlyALeadByteRoom"}, 932, 2, "あ", ""},
    {{"SingleByteCutsAtTheByte"}, 1252, 4, "abあ", "ab\x82"},
};

class TextRowTest : public TextTest, public testing::WithParamInterface<TextRow>
{
};

TEST_P(TextRowTest, SaysWhetherItFitAndKeepsWholeCharacters)
{
    const TextRow& row = GetParam();
    LoadLeadBytes(row.codePage);
    char out[16];
    memset(out, 'x', sizeof(out));
    EXPECT_EQ(row.fits, CopyText(out, row.size, row.text));
    EXPECT_EQ(std::string(row.kept), out);
    EXPECT_EQ('x', out[row.size]) << "written past the buffer";

    memset(out, 'x', sizeof(out));
    EXPECT_EQ(row.fits, FormatText(out, row.size, "%s", row.text));
    EXPECT_EQ(std::string(row.kept), out);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextRowTest, testing::ValuesIn(Texts), table::RowName());

TEST_F(TextTest, ALongStatusLineIsShortenedAtACharacter)
{
    // 250 bytes of path leave room for four of the five two-byte characters.
    std::string path = "D:\\" + std::string(247, 'p');
    char line[260];
    EXPECT_EQ(0, FormatText(line, sizeof(line), "%sをコピー中...", path.c_str()));
    EXPECT_EQ(path + "をコピー", line);
}
} // namespace
