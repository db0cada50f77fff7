// tests/system/RegKeyTest.cpp
// The registry key holder on keys of the test's own under
// HKCU\Software\HoshikageBench, removed before and after every test.
// For RegDeleteTreeA.
#define _WIN32_WINNT 0x0600
#include "support/BenchState.h"
#include "sys/RegKey.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace
{
const char BenchKey[] = "Software\\HoshikageBench";

// The process's open handles, from the system's handle table: the
// process's own handle count is not kept by Wine.
struct HandleEntry
{
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

struct HandleTable
{
    ULONG count;
    HandleEntry entries[1];
};

typedef LONG(WINAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

DWORD HandleCount()
{
    const ULONG SystemHandleInformation = 16;
    const LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    QuerySystemInformation query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return 0;
    std::string buffer(1 << 16, '\0');
    LONG status;
    ULONG needed = 0;
    while ((status = query(SystemHandleInformation, &buffer[0], static_cast<ULONG>(buffer.size()), &needed))
           == InfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i)
    {
        if (table->entries[i].ownerPid == GetCurrentProcessId())
            ++count;
    }
    return count;
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

    // Stores bytes as they are, with or without a terminator.
    void StoreRaw(const std::string& subkey, const char* name, const std::string& bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                                                static_cast<DWORD>(bytes.size())));
        RegCloseKey(key);
    }

    std::string base;
};

TEST_F(RegKeyTest, CreateMakesMissingParentsAndOpensAnExistingKeyWithItsValues)
{
    std::string subkey = Key("Morihane\\ほしかげ");
    RegKey key;
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, subkey.c_str()));
    EXPECT_TRUE(Exists(subkey));
    EXPECT_EQ(ERROR_SUCCESS, key.WriteString("INSTALL", "FULL"));
    key.Close();

    RegKey again;
    ASSERT_EQ(1, again.Create(HKEY_CURRENT_USER, subkey.c_str()));
    char value[16] = "";
    EXPECT_EQ(ERROR_SUCCESS, again.ReadString("INSTALL", value, sizeof(value)));
    EXPECT_STREQ("FULL", value);
}

TEST_F(RegKeyTest, AFailedOpenLeavesNoKeyHeld)
{
    ASSERT_EQ(1, RegKey().Create(HKEY_CURRENT_USER, Key("present").c_str()));
    RegKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("present").c_str()));
    EXPECT_EQ(0, key.Open(HKEY_CURRENT_USER, Key("missing").c_str()));
    EXPECT_FALSE(Exists(Key("missing"))) << "Open must not create";

    char buffer[8] = "keep";
    EXPECT_NE(ERROR_SUCCESS, key.WriteString("written", "x"));
    EXPECT_NE(ERROR_SUCCESS, key.ReadString("written", buffer, sizeof(buffer)));
    EXPECT_STREQ("keep", buffer);
}

TEST_F(RegKeyTest, ASecondOpenClosesTheFirstKey)
{
    RegKey setup;
    ASSERT_EQ(1, setup.Create(HKEY_CURRENT_USER, Key("first").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, setup.WriteString("name", "first"));
    ASSERT_EQ(1, setup.Create(HKEY_CURRENT_USER, Key("second").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, setup.WriteString("name", "second"));
    setup.Close();

    DWORD before = HandleCount();
    {
        RegKey key;
        ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("first").c_str()));
        DWORD holdingOne = HandleCount();
        ASSERT_EQ(before + 1, holdingOne) << "the handle count shows no key";
        ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("second").c_str()));
        EXPECT_EQ(holdingOne, HandleCount()) << "the first key is still open";
        ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("first").c_str()));
        EXPECT_EQ(holdingOne, HandleCount()) << "Create left the second key open";

        char value[16] = "";
        ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("second").c_str()));
        EXPECT_EQ(ERROR_SUCCESS, key.ReadString("name", value, sizeof(value)));
        EXPECT_STREQ("second", value);
    }
    EXPECT_EQ(before, HandleCount()) << "the destructor left a key open";
}

TEST_F(RegKeyTest, DeleteWorksWhateverTheObjectHolds)
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
    EXPECT_TRUE(Exists(Key("parent\\child")));

    RegKey empty;
    EXPECT_EQ(1, empty.Delete(HKEY_CURRENT_USER, Key("parent\\child").c_str()));
    EXPECT_FALSE(Exists(Key("parent\\child")));
    EXPECT_TRUE(Exists(Key("parent")));
}

TEST_F(RegKeyTest, AMissingValueLeavesTheBufferUnchanged)
{
    RegKey key;
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("values").c_str()));
    char buffer[16];
    memset(buffer, 'q', sizeof(buffer));
    EXPECT_NE(ERROR_SUCCESS, key.ReadString("DIRECTORY", buffer, sizeof(buffer)));
    for (char c : buffer)
        EXPECT_EQ('q', c);
}

TEST_F(RegKeyTest, AValueMustFitWithItsTerminator)
{
    RegKey key;
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("values").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, key.WriteString("v", "12345678"));

    char buffer[16];
    EXPECT_EQ(ERROR_MORE_DATA, key.ReadString("v", buffer, 8));
    EXPECT_EQ(ERROR_MORE_DATA, key.ReadString("v", buffer, 1));
    memset(buffer, 'q', sizeof(buffer));
    EXPECT_EQ(ERROR_SUCCESS, key.ReadString("v", buffer, 9));
    EXPECT_STREQ("12345678", buffer);
}

TEST_F(RegKeyTest, AValueStoredWithoutTerminatorComesBackTerminated)
{
    StoreRaw(Key("values"), "bare", "C:\\hoshi");
    StoreRaw(Key("values"), "none", "");
    RegKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("values").c_str()));

    char buffer[16];
    memset(buffer, 'q', sizeof(buffer));
    ASSERT_EQ(ERROR_SUCCESS, key.ReadString("bare", buffer, 9));
    EXPECT_STREQ("C:\\hoshi", buffer);

    memset(buffer, 'q', sizeof(buffer));
    ASSERT_EQ(ERROR_SUCCESS, key.ReadString("bare", buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\hoshi", buffer);

    // Eight bytes in eight: no room for the terminator, so no text at all.
    EXPECT_EQ(ERROR_MORE_DATA, key.ReadString("bare", buffer, 8));

    memset(buffer, 'q', sizeof(buffer));
    ASSERT_EQ(ERROR_SUCCESS, key.ReadString("none", buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
}

TEST_F(RegKeyTest, ShiftJisTextRoundTrips)
{
    // ソ and 表 end in 0x5C; ～ is 81 60 in code page 932.
    const char text[] = "C:\\Program Files\\Morihane\\～ ほしかげ ～\\ソフト表\\";
    RegKey key;
    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("ほしかげ").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, key.WriteString("DIRECTORY", text));
    char buffer[MAX_PATH];
    ASSERT_EQ(ERROR_SUCCESS, key.ReadString("DIRECTORY", buffer, sizeof(buffer)));
    EXPECT_STREQ(text, buffer);
    EXPECT_EQ(ERROR_MORE_DATA, key.ReadString("DIRECTORY", buffer, sizeof(text) - 1));

    // Stored as the characters, not as bytes of another code page.
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER,
                                           (std::wstring(base.begin(), base.end()) + L"\\\u307B\u3057\u304B\u3052").c_str(),
                                           0, KEY_READ, &raw));
    WCHAR wide[MAX_PATH] = L"";
    DWORD size = sizeof(wide);
    DWORD type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(raw, L"DIRECTORY", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size));
    RegCloseKey(raw);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::wstring(L"C:\\Program Files\\Morihane\\\uFF5E \u307B\u3057\u304B\u3052 \uFF5E\\\u30BD\u30D5\u30C8\u8868\\"),
              std::wstring(wide));
}

TEST_F(RegKeyTest, ReadAndWriteWithoutAKeyFail)
{
    RegKey key;
    char buffer[8] = "keep";
    EXPECT_NE(ERROR_SUCCESS, key.ReadString("INSTALL", buffer, sizeof(buffer)));
    EXPECT_NE(ERROR_SUCCESS, key.WriteString("INSTALL", "FULL"));
    EXPECT_STREQ("keep", buffer);

    ASSERT_EQ(1, key.Create(HKEY_CURRENT_USER, Key("closed").c_str()));
    key.Close();
    key.Close();
    EXPECT_NE(ERROR_SUCCESS, key.WriteString("INSTALL", "FULL"));
    EXPECT_NE(ERROR_SUCCESS, key.ReadString("INSTALL", buffer, sizeof(buffer)));
    EXPECT_STREQ("keep", buffer);

    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, Key("closed").c_str()));
    EXPECT_NE(ERROR_SUCCESS, key.ReadString("INSTALL", buffer, sizeof(buffer))) << "nothing was written";
}
} // namespace
