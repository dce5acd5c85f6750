// A release is signed after the build: the signature goes after the setup's image, where its
// check of the carried blocks must not mind it. The setup signed and verified by
// scripts/sign-for-test.sh installs as the unsigned one does, byte for byte.
#include "tests/e2e/install_fixture.h"
#include "tests/payload/pe_image.h"

namespace {

using namespace e2e;

TEST_F(SetupInstall, SignedSetupChecksItselfAndInstallsEveryFile) {
    std::string bytes;
    ASSERT_TRUE(test::ReadFileBytes(SetupExe(), bytes));
    pe::Image image;
    std::string error;
    ASSERT_TRUE(pe::Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), image, error)) << error;
    ASSERT_TRUE(image.certificates.inFile) << "not signed: " << SetupExe();
    EXPECT_EQ(image.certificates.address + image.certificates.size, bytes.size()) << "the signature ends the file";

    InstallEverythingAndFinish();
}

}  // namespace
