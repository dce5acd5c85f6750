#pragma once
// The PayloadCatalog: the nine files the setup carries, where their bytes lie, the name each
// is written under and the option that decides whether it goes into the destination folder.
// Sizes are never stored here: a file's size is its block's length field.
#include <cstdint>

#include "payload/block.h"

namespace payload {

enum class CatalogId {
    MainProgram,
    Updater,
    Uninstaller,
    FunctionLibrary,
    SkinLibrary,
    ReleaseNotes,
    FaqText,
    WebsiteShortcut,
    TutorialShortcut,
};

// When an entry is written into the destination folder.
enum class WriteCondition {
    Always,        // the five program files
    ReleaseTexts,  // only with the "write out texts" option ticked
    Shortcuts,     // the Start-menu and desktop copies (entries with copiedWithShortcuts)
};

struct CatalogEntry {
    CatalogId id;
    const char* name;              // "MainProgram", ...: the entry's own name
    const PayloadBlock* block;     // never null for the catalog's entries
    const char* destinationPiece;  // GBK, with its leading backslash: "\\Lumora.exe"
    WriteCondition condition;      // for the copy in the destination folder
    bool copiedWithShortcuts;      // also written to the Start menu and desktop (Shortcuts)
};

inline constexpr int kCatalogSize = 9;

// In catalog order: the order the install writes the entries and the estimate adds them up.
extern const CatalogEntry kCatalog[kCatalogSize];

// The entry of id; ids and catalog positions coincide.
const CatalogEntry& CatalogEntryOf(CatalogId id);

}  // namespace payload
