// tests/copy/TextTest.cpp
// Bounded composition: what fits, and where a text that does not is cut.
#include "sys/CodePage.h"
#include "sys/Text.h"

#include <gtest/gtest.h>

#include <string.h>

#include <ostream>
#include <string>

namespace
{
class TextTest : public testing::Test
{
protected:
    void SetUp() override { LoadLeadBytes(932); }
    void TearDown() override { LoadLeadBytes(CP_ACP); }
};

TEST_F(TextTest, ATextThatFitsExactly)
{
    char out[6];
    EXPECT_EQ(1, FormatText(out, sizeof(out), "%s%d", "abc", 42));
    EXPECT_STREQ("abc42", out);
    EXPECT_EQ(1, CopyText(out, sizeof(out), "ab\x82\xa0" "c"));
    EXPECT_STREQ("ab\x82\xa0" "c", out);
    EXPECT_EQ(1, CopyText(out, 1, ""));
    EXPECT_STREQ("", out);
    EXPECT_EQ(1, CopyText(out, sizeof(out), "5%d%s")) << "the text is no format";
    EXPECT_STREQ("5%d%s", out);
}

struct CutCase
{
    const char* name;
    UINT codePage;
    size_t size;
    const char* text;
    const char* kept;
};

void PrintTo(const CutCase& c, std::ostream* out)
{
    *out << c.codePage << ", " << c.size << " bytes";
}

class TextCutTest : public TextTest, public testing::WithParamInterface<CutCase>
{
};

TEST_P(TextCutTest, OverflowReturnsZeroAndKeepsWholeCharacters)
{
    const CutCase& c = GetParam();
    LoadLeadBytes(c.codePage);
    char out[16];
    memset(out, 'x', sizeof(out));
    EXPECT_EQ(0, CopyText(out, c.size, c.text));
    EXPECT_EQ(std::string(c.kept), out);
    EXPECT_EQ('x', out[c.size]) << "written past the buffer";

    memset(out, 'x', sizeof(out));
    EXPECT_EQ(0, FormatText(out, c.size, "%s", c.text));
    EXPECT_EQ(std::string(c.kept), out);
}

// "あ" is 0x82 0xA0, "ソ" 0x83 0x5C.
INSTANTIATE_TEST_SUITE_P(
    Cuts, TextCutTest,
    testing::Values(CutCase{"Ascii", 932, 5, "abcde", "abcd"}, CutCase{"OneByteBuffer", 932, 1, "a", ""},
                    CutCase{"BeforeALeadByte", 932, 4, "abあ", "ab"},
                    CutCase{"AfterAWholeCharacter", 932, 4, "aあい", "aあ"},
                    CutCase{"InsideTheSecondCharacter", 932, 5, "aあい", "aあ"},
                    CutCase{"SecondByte5C", 932, 5, "aソソ", "aソ"},
                    CutCase{"OnlyALeadByteRoom", 932, 2, "あ", ""},
                    CutCase{"SingleByteCutsAtTheByte", 1252, 4, "abあ", "ab\x82"},
                    CutCase{"SingleByteSecondByte5C", 1252, 5, "aソソ", "aソ\x83"}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST_F(TextTest, ALongStatusLineIsShortenedAtACharacter)
{
    // 250 bytes of path leave room for four of the five two-byte characters.
    std::string path = "D:\\" + std::string(247, 'p');
    char line[260];
    EXPECT_EQ(0, FormatText(line, sizeof(line), "%sをコピー中...", path.c_str()));
    EXPECT_EQ(path + "をコピー", line);
}
} // namespace
