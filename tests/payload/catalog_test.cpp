// The carried blocks against the files the build made, and the catalog that names them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "host/system/program_image.h"
#include "payload/catalog.h"
#include "payload/checksum.h"
#include "product_files.h"

using payload::CatalogId;
using payload::kCatalog;
using payload::WriteCondition;

TEST(Blocks, EachHoldsItsBuiltFileExactlyInTheBlockLayout) {
    for (const payload::CatalogEntry& entry : kCatalog) {
        SCOPED_TRACE(entry.name);
        const payload::PayloadBlock* block = entry.block;
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 4, 0u);

        // The header read as raw little-endian bytes, not through the struct.
        const auto* raw = reinterpret_cast<const unsigned char*>(block);
        EXPECT_EQ(raw[0] | raw[1] << 8 | raw[2] << 16 | raw[3] << 24, 1);
        std::int32_t length = raw[4] | raw[5] << 8 | raw[6] << 16 | raw[7] << 24;
        EXPECT_EQ(block->length, length);
        EXPECT_EQ(block->Bytes(), raw + 8);
        EXPECT_EQ(payload::BlockLength(block), length);

        auto file = product_files::Read(product_files::PathOf(entry.destinationPiece));
        ASSERT_TRUE(file.has_value()) << "the build left no file for this entry";
        ASSERT_GT(file->size(), 0u);
        ASSERT_EQ(static_cast<std::size_t>(length), file->size());
        EXPECT_EQ(std::memcmp(block->Bytes(), file->data(), file->size()), 0);
    }
}

TEST(Blocks, LieInReadOnlyMemoryOfTheProgramImage) {
    HMODULE self = GetModuleHandleW(nullptr);
    for (const payload::CatalogEntry& entry : kCatalog) {
        SCOPED_TRACE(entry.name);
        MEMORY_BASIC_INFORMATION info{};
        ASSERT_NE(VirtualQuery(entry.block, &info, sizeof info), 0u);
        EXPECT_EQ(info.AllocationBase, reinterpret_cast<void*>(self));
        EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READONLY));
    }
}

TEST(Blocks, AnAbsentBlockCountsAsEmpty) { EXPECT_EQ(payload::BlockLength(nullptr), 0); }

TEST(Blocks, TotalsOfTheProgramFilesAndOfAllFilesMatchTheBuiltFiles) {
    long long programBlocks = 0, allBlocks = 0;
    unsigned long long programFiles = 0, allFiles = 0;
    for (int i = 0; i < payload::kCatalogSize; ++i) {
        auto size = product_files::SizeOf(product_files::PathOf(kCatalog[i].destinationPiece));
        ASSERT_TRUE(size.has_value()) << kCatalog[i].name;
        allBlocks += payload::BlockLength(kCatalog[i].block);
        allFiles += *size;
        if (i < 5) {
            programBlocks += payload::BlockLength(kCatalog[i].block);
            programFiles += *size;
        }
    }
    EXPECT_EQ(static_cast<unsigned long long>(programBlocks), programFiles);
    EXPECT_EQ(static_cast<unsigned long long>(allBlocks), allFiles);
    // The estimate adds these up as 32-bit integers.
    EXPECT_LT(allBlocks, 0x7FFFFFFFLL);
    std::printf("[ figures ] entries 1-5: %lld bytes, entries 1-9: %lld bytes\n", programBlocks,
                allBlocks);
}

TEST(Catalog, ListsTheNineFilesInOrderWithTheirNamesAndConditions) {
    struct Expected {
        CatalogId id;
        const char* name;
        const char* piece;
        WriteCondition condition;
        bool copiedWithShortcuts;
    };
    const Expected expected[] = {
        {CatalogId::MainProgram, "MainProgram", "\\Lumora.exe", WriteCondition::Always, false},
        {CatalogId::Updater, "Updater", "\\TarvelUP.exe", WriteCondition::Always, false},
        {CatalogId::Uninstaller, "Uninstaller", "\\卸载.exe", WriteCondition::Always, false},
        {CatalogId::FunctionLibrary, "FunctionLibrary", "\\Function.dll", WriteCondition::Always, false},
        {CatalogId::SkinLibrary, "SkinLibrary", "\\Tarvel-Skin.dll", WriteCondition::Always, false},
        {CatalogId::ReleaseNotes, "ReleaseNotes", "\\更新日志.log", WriteCondition::ReleaseTexts, false},
        {CatalogId::FaqText, "FaqText", "\\常见问题解答.txt", WriteCondition::ReleaseTexts, false},
        {CatalogId::WebsiteShortcut, "WebsiteShortcut", "\\Lumora官网.url", WriteCondition::ReleaseTexts,
         true},
        {CatalogId::TutorialShortcut, "TutorialShortcut", "\\Lumora视频教程.url",
         WriteCondition::ReleaseTexts, true},
    };
    ASSERT_EQ(std::size(expected), std::size(kCatalog));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(kCatalog[i].id, expected[i].id);
        EXPECT_STREQ(kCatalog[i].name, expected[i].name);
        EXPECT_STREQ(kCatalog[i].destinationPiece, expected[i].piece);
        EXPECT_EQ(kCatalog[i].condition, expected[i].condition);
        EXPECT_EQ(kCatalog[i].copiedWithShortcuts, expected[i].copiedWithShortcuts);
        EXPECT_EQ(&payload::CatalogEntryOf(expected[i].id), &kCatalog[i]);
    }
}

TEST(Catalog, BlocksAreDistinctAndDoNotOverlap) {
    for (std::size_t i = 0; i < std::size(kCatalog); ++i) {
        auto begin = reinterpret_cast<std::uintptr_t>(kCatalog[i].block);
        auto end = begin + 8 + static_cast<std::uintptr_t>(kCatalog[i].block->length);
        for (std::size_t j = 0; j < std::size(kCatalog); ++j) {
            if (i == j) continue;
            auto other = reinterpret_cast<std::uintptr_t>(kCatalog[j].block);
            EXPECT_FALSE(other >= begin && other < end) << kCatalog[i].name << " / " << kCatalog[j].name;
        }
    }
}

// The nine blocks copied, in reverse catalog order, into memory that stands for the program's
// image. It ends where the main program's content ends (a PE file's length is a multiple of 4),
// right before a page that may not be read: a check that reads past the image crashes the test.
struct CopiedBlocks {
    CopiedBlocks() {
        std::size_t size = 0;
        for (const payload::CatalogEntry& entry : kCatalog) size += SpaceOf(entry.block);
        const std::size_t pages = (size + 0xFFF) & ~std::size_t{0xFFF};
        memory = static_cast<unsigned char*>(VirtualAlloc(nullptr, pages + 0x1000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD was = 0;
        if (memory == nullptr || !VirtualProtect(memory + pages, 0x1000, PAGE_NOACCESS, &was)) return;
        unsigned char* at = memory + pages - size;
        image = {at, size};
        for (int i = payload::kCatalogSize - 1; i >= 0; at += SpaceOf(kCatalog[i--].block)) {
            std::memcpy(at, kCatalog[i].block, 8 + static_cast<std::size_t>(kCatalog[i].block->length));
            catalog[i] = kCatalog[i];
            catalog[i].block = reinterpret_cast<const payload::PayloadBlock*>(at);
        }
    }
    ~CopiedBlocks() { VirtualFree(memory, 0, MEM_RELEASE); }
    static std::size_t SpaceOf(const payload::PayloadBlock* block) { return 8 + (static_cast<std::size_t>(block->length) + 3) / 4 * 4; }
    unsigned char* Header(CatalogId id) const {
        return const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(catalog[static_cast<int>(id)].block));
    }

    unsigned char* memory = nullptr;
    std::span<const unsigned char> image;
    payload::CatalogEntry catalog[payload::kCatalogSize];
};

void LengthOneLarger(unsigned char* header) {
    std::int32_t length;
    std::memcpy(&length, header + 4, 4);
    ++length;
    std::memcpy(header + 4, &length, 4);
}

TEST(Checksums, RecordedAtBuildTimeAndCheckedAgainstTheBlocks) {
    const std::string check = "123456789";
    EXPECT_EQ(payload::Crc32({reinterpret_cast<const unsigned char*>(check.data()), check.size()}), 0xCBF43926u)
        << "the standard check value of CRC-32";
    EXPECT_EQ(payload::Crc32({}), 0u);
    EXPECT_TRUE(payload::BlocksIntact(kCatalog, payload::kBlockChecksums, host::ProgramImage()));
    // A shorter list of checksums than blocks is no proof either.
    EXPECT_FALSE(payload::BlocksIntact(kCatalog, std::span(payload::kBlockChecksums).first(8), host::ProgramImage()));
    EXPECT_FALSE(payload::BlocksIntact(kCatalog, payload::kBlockChecksums, {})) << "no image, no block within it";

    // The image its headers give: readable throughout, and the module ends with it.
    const std::span<const unsigned char> image = host::ProgramImage();
    ASSERT_EQ(image.data(), reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr)));
    MEMORY_BASIC_INFORMATION info{};
    for (auto page = image.data(); page < image.data() + image.size(); page = page + info.RegionSize) {
        ASSERT_NE(VirtualQuery(page, &info, sizeof info), 0u);
        EXPECT_TRUE(info.State == MEM_COMMIT && (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0) << page - image.data();
    }
    EXPECT_TRUE(VirtualQuery(image.data() + image.size(), &info, sizeof info) == 0 || info.AllocationBase != image.data());
}

// Each damage a download can do to a block, made to copies: every one is found, and none makes
// the check read outside the image it was given.
TEST(Checksums, EveryDamageToABlockIsFoundWithinTheImage) {
    {
        const CopiedBlocks copies;
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(copies.image.data()) % 4, 0u) << "no memory, or unaligned blocks";
        ASSERT_TRUE(payload::BlocksIntact(copies.catalog, payload::kBlockChecksums, copies.image))
            << "the recorded checksums cover each block's header and content as the check does";
    }
    const struct {
        const char* what;
        CatalogId id;
        void (*damage)(unsigned char* header);
    } damages[] = {
        {"one content byte flipped", CatalogId::FunctionLibrary, [](unsigned char* h) { h[8 + 100] ^= 0x01; }},
        {"the count changed, length and content intact", CatalogId::FaqText, [](unsigned char* h) { h[0] = 2; }},
        {"length one larger, within the image", CatalogId::ReleaseNotes, LengthOneLarger},
        {"the last block's length one larger, past the image", CatalogId::MainProgram, LengthOneLarger},
        {"length made huge (its high byte 0x7F)", CatalogId::SkinLibrary, [](unsigned char* h) { h[7] = 0x7F; }},
        {"length negative (its top bit set)", CatalogId::Uninstaller, [](unsigned char* h) { h[7] |= 0x80; }},
    };
    for (const auto& d : damages) {
        const CopiedBlocks copies;
        d.damage(copies.Header(d.id));
        EXPECT_FALSE(payload::BlocksIntact(copies.catalog, payload::kBlockChecksums, copies.image)) << d.what;
    }
}
