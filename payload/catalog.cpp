#include "payload/catalog.h"

// The blocks, laid down by blocks.S.
extern "C" {
extern const payload::PayloadBlock lumora_block_MainProgram;
extern const payload::PayloadBlock lumora_block_Updater;
extern const payload::PayloadBlock lumora_block_Uninstaller;
extern const payload::PayloadBlock lumora_block_FunctionLibrary;
extern const payload::PayloadBlock lumora_block_SkinLibrary;
extern const payload::PayloadBlock lumora_block_ReleaseNotes;
extern const payload::PayloadBlock lumora_block_FaqText;
extern const payload::PayloadBlock lumora_block_WebsiteShortcut;
extern const payload::PayloadBlock lumora_block_TutorialShortcut;
}

namespace payload {

const CatalogEntry kCatalog[kCatalogSize] = {
    {CatalogId::MainProgram, "MainProgram", &lumora_block_MainProgram, "\\Lumora.exe",
     WriteCondition::Always, false},
    {CatalogId::Updater, "Updater", &lumora_block_Updater, "\\TarvelUP.exe",
     WriteCondition::Always, false},
    {CatalogId::Uninstaller, "Uninstaller", &lumora_block_Uninstaller, "\\卸载.exe",
     WriteCondition::Always, false},
    {CatalogId::FunctionLibrary, "FunctionLibrary", &lumora_block_FunctionLibrary,
     "\\Function.dll", WriteCondition::Always, false},
    {CatalogId::SkinLibrary, "SkinLibrary", &lumora_block_SkinLibrary, "\\Tarvel-Skin.dll",
     WriteCondition::Always, false},
    {CatalogId::ReleaseNotes, "ReleaseNotes", &lumora_block_ReleaseNotes, "\\更新日志.log",
     WriteCondition::ReleaseTexts, false},
    {CatalogId::FaqText, "FaqText", &lumora_block_FaqText, "\\常见问题解答.txt",
     WriteCondition::ReleaseTexts, false},
    {CatalogId::WebsiteShortcut, "WebsiteShortcut", &lumora_block_WebsiteShortcut,
     "\\Lumora官网.url", WriteCondition::ReleaseTexts, true},
    {CatalogId::TutorialShortcut, "TutorialShortcut", &lumora_block_TutorialShortcut,
     "\\Lumora视频教程.url", WriteCondition::ReleaseTexts, true},
};

const CatalogEntry& CatalogEntryOf(CatalogId id) {
    return kCatalog[static_cast<int>(id)];
}

}  // namespace payload
