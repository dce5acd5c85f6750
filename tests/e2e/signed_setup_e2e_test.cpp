// A release signs the five programs and libraries, builds the setup around them and signs the
// setup (scripts/sign-release.sh, run by scripts/sign-for-test.sh with a certificate made for
// the test). The signed setup checks its carried blocks, which a signature after the image must
// not disturb, and installs every file byte for byte; each installed program and library, and
// the setup itself, carry a signature that the system verifies once it trusts the certificate.
#include "tests/e2e/install_fixture.h"
#include "tests/payload/pe_image.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

namespace {

using namespace e2e;

// What WinVerifyTrust says of a file's Authenticode signature, revocation left unchecked.
LONG Verify(const std::string& path) {
    const std::wstring wide = test::Wide(path);
    WINTRUST_FILE_INFO file{sizeof file, wide.c_str(), nullptr, nullptr};
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(nullptr, &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(nullptr, &action, &data);
    return result;
}

TEST_F(SetupInstall, SignedSetupChecksItselfAndInstallsEverySignedFile) {
    std::string certificate;
    ASSERT_TRUE(test::ReadFileBytes(remote::WindowsPath(LUMORA_SIGNER), certificate));
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    ASSERT_TRUE(root && CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING,
                                                         reinterpret_cast<const BYTE*>(certificate.data()),
                                                         static_cast<DWORD>(certificate.size()),
                                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(root, 0);

    InstallEverythingAndFinish();
    std::vector<std::string> signedFiles{SetupExe()};
    for (const char* name : kProgramFiles) signedFiles.push_back(D + "\\" + name);
    for (const std::string& path : signedFiles) {
        SCOPED_TRACE(path);
        std::string bytes;
        ASSERT_TRUE(test::ReadFileBytes(path, bytes));
        pe::Image image;
        std::string error;
        ASSERT_TRUE(pe::Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), image, error)) << error;
        ASSERT_TRUE(image.certificates.inFile) << "not signed";
        EXPECT_EQ(image.certificates.address + image.certificates.size, bytes.size()) << "the signature ends the file";
        EXPECT_EQ(Verify(path), ERROR_SUCCESS);
    }
}

}  // namespace
