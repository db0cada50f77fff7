// tests/system/SignatureTest.cpp
// What Windows makes of the signature of the setup.exe on disc 1, which
// the bench signs as a publisher does: WinVerifyTrust, with the bench's
// test certificate authority among the machine's roots, takes the file as
// signed, and a copy with one byte changed, or an unsigned build, as not.
#include "support/BenchState.h"
#include "support/Table.h"
#include "support/WindowProbe.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace
{
struct TrustCase : table::Row
{
    // Where the byte that is changed lies, counted from the start of the
    // file (from its end when negative); 0: none.
    long changedByte;
    // The setup.exe of this build, unsigned, instead of the disc's.
    bool unsigned_;
    // What WinVerifyTrust answers.
    LONG expected;
};

// Any answer but ERROR_SUCCESS: how a broken signature is named differs
// between Windows and Wine.
const LONG AnyRefusal = -1;

// A byte of the code; one within the signer's own signature, which ends
// the file but for the table's padding.
const TrustCase Rows[] = {
    {{"TheDiscsSetupAsSigned"}, 0, false, ERROR_SUCCESS},
    {{"OneByteOfTheProgramChanged"}, 4096, false, TRUST_E_BAD_DIGEST},
    {{"OneByteOfTheSignatureChanged"}, -20, false, AnyRefusal},
    {{"AnUnsignedBuild"}, 0, true, TRUST_E_NOSIGNATURE},
};

LONG Verify(const std::string& path)
{
    std::wstring wide = probe::Wide(path);
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = wide.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

class SignatureTest : public testing::TestWithParam<TrustCase>
{
protected:
    // The test CA in the machine's root store for the suite's time, as a
    // publisher's CA is on a player's Windows.
    static void SetUpTestSuite()
    {
        std::string pem = bench::ReadFileBytes(bench::Root() + "test-keys\\ca.pem");
        DWORD size = 0;
        std::vector<BYTE> der;
        if (CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        {
            der.resize(size);
            CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
        }
        s_root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
        if (s_root != nullptr && !der.empty())
            CertAddEncodedCertificateToStore(s_root, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_REPLACE_EXISTING,
                                             &s_ca);
    }

    static void TearDownTestSuite()
    {
        if (s_ca != nullptr)
            CertDeleteCertificateFromStore(s_ca);
        s_ca = nullptr;
        if (s_root != nullptr)
            CertCloseStore(s_root, 0);
        s_root = nullptr;
    }

    static HCERTSTORE s_root;
    static PCCERT_CONTEXT s_ca;
};
HCERTSTORE SignatureTest::s_root = nullptr;
PCCERT_CONTEXT SignatureTest::s_ca = nullptr;

TEST_P(SignatureTest, WinVerifyTrustJudgesTheFile)
{
    const TrustCase& row = GetParam();
    ASSERT_NE(nullptr, s_ca) << "the test CA is not in the machine's root store";
    std::string file = bench::Disc(1) + "setup.exe";
    if (row.unsigned_)
    {
        char self[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, self, sizeof(self));
        ASSERT_TRUE(length > 0 && length < sizeof(self));
        file = std::string(self, length);
        file = file.substr(0, file.find_last_of('\\') + 1) + "setup.exe";
    }
    else if (row.changedByte != 0)
    {
        std::string bytes = bench::ReadFileBytes(file);
        ASSERT_GT(bytes.size(), 8192u) << file;
        size_t at = row.changedByte > 0 ? row.changedByte : bytes.size() + row.changedByte;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
        file = bench::Scratch() + "setup.exe";
        bench::WriteFileBytes(file, bytes);
    }
    LONG result = Verify(file);
    if (row.expected == AnyRefusal)
        EXPECT_NE(ERROR_SUCCESS, result) << file;
    else
        EXPECT_EQ(row.expected, result) << std::hex << "0x" << result << " for " << file;
}

INSTANTIATE_TEST_SUITE_P(Rows, SignatureTest, testing::ValuesIn(Rows), table::RowName());
} // namespace
