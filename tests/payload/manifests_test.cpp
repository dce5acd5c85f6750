// The manifests of the setup and of the carried uninstaller, read out of the built images:
// both sharp on a scaled display, both with the common controls of version 6, both elevated.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "payload/catalog.h"
#include "pe_image.h"
#include "product_files.h"

namespace {

// The first match of `pattern` in `text`: the whole match, or its first group when it has one.
std::string Find(const std::string& text, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern))) return {};
    return m.size() > 1 ? m[1].str() : m[0].str();
}

std::string Attribute(const std::string& openingTag, const std::string& name) {
    return Find(openingTag, "\\s" + name + "=\"([^\"]*)\"");
}

TEST(Manifests, DeclareDpiAwarenessCommonControls6AndElevation) {
    const payload::PayloadBlock* uninstaller = payload::CatalogEntryOf(payload::CatalogId::Uninstaller).block;
    const std::vector<unsigned char> setup =
        product_files::Read(product_files::SetupPath()).value_or(std::vector<unsigned char>());
    ASSERT_FALSE(setup.empty()) << LUMORA_SETUP_EXE;
    struct Program {
        const char* name;
        const unsigned char* bytes;
        std::size_t size;
    };
    const Program programs[] = {
        {"LumoraSetup.exe", setup.data(), setup.size()},
        {"uninstaller", uninstaller->Bytes(), static_cast<std::size_t>(uninstaller->length)},
    };
    for (const Program& program : programs) {
        SCOPED_TRACE(program.name);
        pe::Image image;
        std::string error;
        ASSERT_TRUE(pe::Parse(program.bytes, program.size, image, error)) << error;
        const std::string& xml = image.manifest;
        ASSERT_FALSE(xml.empty()) << "no manifest resource";

        const std::string dpiAware = Find(xml, "<dpiAware\\b[^>]*>");
        EXPECT_EQ(Attribute(dpiAware, "xmlns"), "http://schemas.microsoft.com/SMI/2005/WindowsSettings") << xml;
        EXPECT_EQ(Find(xml, "<dpiAware\\b[^>]*>\\s*([^<]*?)\\s*</dpiAware>"), "true");

        const std::string identity = Find(xml, "<dependentAssembly>\\s*(<assemblyIdentity\\b[^>]*>)");
        EXPECT_EQ(Attribute(identity, "name"), "Microsoft.Windows.Common-Controls");
        EXPECT_EQ(Attribute(identity, "version"), "6.0.0.0");
        EXPECT_EQ(Attribute(identity, "publicKeyToken"), "6595b64144ccf1df");
        EXPECT_EQ(Attribute(identity, "processorArchitecture"), "x86");

        EXPECT_EQ(Attribute(Find(xml, "<requestedExecutionLevel\\b[^>]*>"), "level"), "requireAdministrator");
    }
}

}  // namespace
