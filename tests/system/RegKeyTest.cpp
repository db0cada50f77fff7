// tests/system/RegKeyTest.cpp
// The registry key holder on keys of the test's own under
// HKCU\Software\HoshikageBench, removed before and after every test.
// For RegDeleteTreeA.
#define _WIN32_WINNT 0x0600
#include "support/BenchState.h"
#include "support/Table.h"
#include "sys/RegKey.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace
{
const char BenchKey[] = "Software\\HoshikageBench";

// The process's open handles, from the system's handle table: Wine keeps
// no handle count of the process itself.
DWORD HandleCount()
{
    struct Entry
    {
        ULONG ownerPid;
        BYTE type, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    typedef LONG(WINAPI * Query)(ULONG, PVOID, ULONG, PULONG);
    Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::string buffer(1 << 16, '\0');
    LONG status;
    // 16: SystemHandleInformation; 0xC0000004: the buffer is too small.
    while ((status = query(16, &buffer[0], static_cast<ULONG>(buffer.size()), nullptr)) == LONG(0xC0000004))
        buffer.resize(buffer.size() * 2);
    ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(PVOID));
    DWORD own = 0;
    for (ULONG i = 0; i < count; ++i)
        own += entries[i].ownerPid == GetCurrentProcessId();
    return own;
}

class RegKeyTest : public testing::Test
{
protected:
    void SetUp() override
    {
        base = std::string(BenchKey) + "\\" + testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
        // Only once no other test's key is left below it.
        RegDeleteKeyA(HKEY_CURRENT_USER, BenchKey);
    }

    std::string Key(const char* name) const { return base + "\\" + name; }
    static bool Exists(const std::string& subkey) { return bench::KeyExists(subkey.c_str()); }

    std::string base;
};

TEST_F(RegKeyTest, OpenAndCreateLetGoOfTheHeldKeyAndTheDestructorOfTheLast)
{
    ASSERT_EQ(1, RegKey().Create(HKEY_CURRENT_USER, Key("first").c_str()));
    ASSERT_EQ(1, RegKey().Create(HKEY_CURRENT_USER, Key("second").c_str()));
    DWORD before = HandleCount();
    {
        RegKey key;
        ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("first").c_str()));
        ASSERT_EQ(before + 1, HandleCount()) << "the handle count shows no key";
        ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("second").c_str()));
        EXPECT_EQ(before + 1, HandleCount()) << "Open left the first key open";
        ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("first").c_str()));
        EXPECT_EQ(before + 1, HandleCount()) << "Create left the second key open";
    }
    EXPECT_EQ(before, HandleCount()) << "the destructor left a key open";
}

TEST_F(RegKeyTest, WithoutAKeyHeldReadAndWriteFail)
{
    RegKey key;
    char buffer[8] = "keep";
    auto expectNoKey = [&](const char* when) {
        EXPECT_NE(ERROR_SUCCESS, key.WriteString("INSTALL", "FULL")) << when;
        EXPECT_NE(ERROR_SUCCESS, key.ReadString("INSTALL", buffer, sizeof(buffer))) << when;
        EXPECT_STREQ("keep", buffer) << when;
    };
    expectNoKey("never opened");
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("present").c_str()));
    EXPECT_EQ(0, key.Open(HKEY_CURRENT_USER, Key("missing").c_str()));
    EXPECT_FALSE(Exists(Key("missing"))) << "Open must not create";
    expectNoKey("after a failed open");
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("present").c_str()));
    key.Close();
    key.Close();
    expectNoKey("closed twice");
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("present").c_str()));
    EXPECT_NE(ERROR_SUCCESS, key.ReadString("INSTALL", buffer, sizeof(buffer))) << "nothing was written";
}

TEST_F(RegKeyTest, DeleteTakesOneKeyWithoutSubkeysWhateverTheObjectHolds)
{
    ASSERT_EQ(1, RegKey().Create(HKEY_CURRENT_USER, Key("held").c_str()));
    ASSERT_EQ(1, RegKey().Create(HKEY_CURRENT_USER, Key("gone").c_str()));
    ASSERT_EQ(1, RegKey().Create(HKEY_CURRENT_USER, Key("parent\\child").c_str()));

    RegKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("held").c_str()));
    EXPECT_EQ(1, key.Delete(HKEY_CURRENT_USER, Key("gone").c_str()));
    EXPECT_FALSE(Exists(Key("gone")));
    // The held key is neither deleted nor let go.
    EXPECT_TRUE(Exists(Key("held")));
    EXPECT_EQ(ERROR_SUCCESS, key.WriteString("still", "open"));

    EXPECT_EQ(0, key.Delete(HKEY_CURRENT_USER, Key("gone").c_str())) << "deleting a missing key";
    EXPECT_EQ(0, key.Delete(HKEY_CURRENT_USER, Key("parent").c_str())) << "a key with subkeys stays";
}

// A value stored as raw bytes, with or without a terminator, and read back
// into a buffer of a given capacity.
struct ValueRow : table::Row
{
    // Null: no such value. The system stores a terminator that follows the
    // bytes given, so an unterminated value is followed by another byte.
    const char* stored;
    DWORD storedSize;
    DWORD capacity;
    LONG status;
    // The buffer on success; a missing value leaves it as it was, "qqq…".
    const char* text;
};

const ValueRow Values[] = {
    {{"UnterminatedGetsOne"}, "C:\\hoshi!", 8, 9, ERROR_SUCCESS, "C:\\hoshi"},
    // Eight bytes in eight: no room for the terminator, so no text at all.
    {{"UnterminatedWithoutRoomForOne"}, "C:\\hoshi!", 8, 8, ERROR_MORE_DATA, nullptr},
    {{"EmptyAndUnterminated"}, "", 0, 16, ERROR_SUCCESS, ""},
    {{"Missing"}, nullptr, 0, 16, ERROR_FILE_NOT_FOUND, "qqqqqqqqqqqqqqqq"},
};

class RegKeyValueTest : public RegKeyTest, public testing::WithParamInterface<ValueRow>
{
};

TEST_P(RegKeyValueTest, ReadsAValueOnlyWithItsTerminator)
{
    const ValueRow& row = GetParam();
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, Key("values").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &raw, nullptr));
    if (row.stored != nullptr)
    {
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(raw, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(row.stored),
                                                row.storedSize));
    }
    RegCloseKey(raw);

    RegKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("values").c_str()));
    char buffer[17];
    memset(buffer, 'q', sizeof(buffer) - 1);
    buffer[16] = '\0';
    EXPECT_EQ(row.status, key.ReadString("v", buffer, row.capacity));
    if (row.text != nullptr)
    {
        EXPECT_STREQ(row.text, buffer);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RegKeyValueTest, testing::ValuesIn(Values), table::RowName());

TEST_F(RegKeyTest, CreateMakesParentsAndKeepsAKeysValuesStoredAsCharacters)
{
    // ソ and 表 end in 0x5C; ～ is 81 60 in code page 932.
    const char text[] = "C:\\Program Files\\Morihane\\～ ほしかげ ～\\ソフト表\\";
    RegKey key;
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("Morihane\\ほしかげ").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, key.WriteString("DIRECTORY", text));
    key.Close();
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("Morihane\\ほしかげ").c_str()));
    char buffer[MAX_PATH];
    ASSERT_EQ(ERROR_SUCCESS, key.ReadString("DIRECTORY", buffer, sizeof(buffer)));
    EXPECT_STREQ(text, buffer);
    EXPECT_EQ(ERROR_MORE_DATA, key.ReadString("DIRECTORY", buffer, sizeof(text) - 1));

    // Stored as the characters, not as bytes of another code page.
    const wchar_t wide[] = L"C:\\Program Files\\Morihane\\\uFF5E \u307B\u3057\u304B\u3052 \uFF5E\\\u30BD\u30D5\u30C8\u8868\\";
    WCHAR stored[MAX_PATH] = L"";
    DWORD size = sizeof(stored);
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER,
                                          (std::wstring(base.begin(), base.end()) + L"\\Morihane\\\u307B\u3057\u304B\u3052").c_str(),
                                          L"DIRECTORY", RRF_RT_REG_SZ, nullptr, stored, &size));
    EXPECT_EQ(std::wstring(wide), std::wstring(stored));
}
} // namespace
