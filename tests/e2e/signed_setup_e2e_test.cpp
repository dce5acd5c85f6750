// A release (scripts/sign-release.sh with a certificate made for the test): the signed setup checks
// its blocks, which the signature after its image must not disturb, and installs every file byte
// for byte; it and each installed program and library carry a signature that the system verifies.
#include "tests/e2e/install_fixture.h"
#include "tests/payload/pe_image.h"

#include <wincrypt.h>
#include <softpub.h>

namespace {

using namespace e2e;

TEST_F(SetupInstall, SignedSetupChecksItselfAndInstallsEverySignedFile) {
    std::string certificate;  // trusted as a root in this test's own prefix
    ASSERT_TRUE(test::ReadFileBytes(remote::WindowsPath(LUMORA_SIGNER), certificate));
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    ASSERT_TRUE(CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(certificate.data()),
                                                 static_cast<DWORD>(certificate.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(root, 0);

    InstallEverythingAndFinish();
    std::vector<std::string> paths{SetupExe()};
    for (const char* name : kProgramFiles) paths.push_back(D + "\\" + name);
    for (const std::string& path : paths) {
        std::string bytes, error;
        pe::Image image;
        EXPECT_TRUE(test::ReadFileBytes(path, bytes) &&
                    pe::Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), image, error) &&
                    image.certificates.inFile && image.certificates.address + image.certificates.size == bytes.size())
            << path << ": not signed, or the signature does not end the file " << error;
        const std::wstring wide = test::Wide(path);
        WINTRUST_FILE_INFO file{sizeof file, wide.c_str(), nullptr, nullptr};
        WINTRUST_DATA data{};  // revocation left unchecked; no state kept
        data.cbStruct = sizeof data;
        data.dwUIChoice = WTD_UI_NONE;
        data.dwUnionChoice = WTD_CHOICE_FILE;
        data.pFile = &file;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        EXPECT_EQ(WinVerifyTrust(nullptr, &action, &data), ERROR_SUCCESS) << path;
    }
}

}  // namespace
