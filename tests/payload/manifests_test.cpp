// The manifests of the setup and of the carried uninstaller, read out of the built images:
// both sharp on a scaled display, both with the common controls of version 6, both elevated.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/catalog.h"
#include "pe_image.h"
#include "product_files.h"

namespace {

// The first element `<tag ...>...</tag>` or `<tag .../>`; empty when none.
std::string Element(const std::string& xml, const std::string& tag) {
    std::size_t start = xml.find("<" + tag);
    while (start != std::string::npos) {
        const char next = start + tag.size() + 1 < xml.size() ? xml[start + tag.size() + 1] : '\0';
        if (next == ' ' || next == '>' || next == '/' || next == '\n' || next == '\r') break;
        start = xml.find("<" + tag, start + 1);
    }
    if (start == std::string::npos) return {};
    const std::size_t open = xml.find('>', start);
    if (open == std::string::npos) return {};
    if (xml[open - 1] == '/') return xml.substr(start, open + 1 - start);
    const std::size_t close = xml.find("</" + tag + ">", open);
    return close == std::string::npos ? std::string() : xml.substr(start, close + tag.size() + 3 - start);
}

// The value of attribute `name` in an element's opening tag; empty when it has none.
std::string Attribute(const std::string& element, const std::string& name) {
    const std::string openingTag = element.substr(0, element.find('>'));
    const std::size_t at = openingTag.find(" " + name + "=\"");
    if (at == std::string::npos) return {};
    const std::size_t begin = at + name.size() + 3;
    return openingTag.substr(begin, openingTag.find('"', begin) - begin);
}

// What lies between an element's opening and closing tags.
std::string Content(const std::string& element) {
    const std::size_t open = element.find('>');
    const std::size_t close = element.rfind("</");
    return open == std::string::npos || close == std::string::npos || close < open
               ? std::string()
               : element.substr(open + 1, close - open - 1);
}

std::vector<unsigned char> SetupBytes() {
    std::string path = LUMORA_SETUP_EXE;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return product_files::Read(product_files::Widen(path)).value_or(std::vector<unsigned char>());
}

TEST(Manifests, DeclareDpiAwarenessCommonControls6AndElevation) {
    const payload::PayloadBlock* uninstaller = payload::CatalogEntryOf(payload::CatalogId::Uninstaller).block;
    const std::vector<unsigned char> setup = SetupBytes();
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

        const std::string settings = Element(xml, "windowsSettings");
        const std::string dpiAware = Element(settings, "dpiAware");
        EXPECT_EQ(Attribute(dpiAware, "xmlns"), "http://schemas.microsoft.com/SMI/2005/WindowsSettings");
        EXPECT_EQ(Content(dpiAware), "true") << settings;

        const std::string identity = Element(Element(xml, "dependentAssembly"), "assemblyIdentity");
        EXPECT_EQ(Attribute(identity, "name"), "Microsoft.Windows.Common-Controls") << xml;
        EXPECT_EQ(Attribute(identity, "version"), "6.0.0.0");
        EXPECT_EQ(Attribute(identity, "publicKeyToken"), "6595b64144ccf1df");
        EXPECT_EQ(Attribute(identity, "processorArchitecture"), "x86");

        EXPECT_EQ(Attribute(Element(xml, "requestedExecutionLevel"), "level"), "requireAdministrator");
    }
}

}  // namespace
