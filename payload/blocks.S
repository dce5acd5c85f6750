/* The carried files, each as a block in read-only data: count 1, byte length, the bytes.
   The assembler measures each file itself, so a block's length always matches its content.
   The files come from the product folder of the build (given to the assembler with -I). */

.macro BLOCK symbol, file
    .globl \symbol
    .p2align 2
\symbol:
    .long 1
    .long .L\symbol\()_end - .L\symbol\()_start
.L\symbol\()_start:
    .incbin "\file"
.L\symbol\()_end:
.endm

    .section .rdata, "dr"
    BLOCK _lumora_block_MainProgram,       "Lumora.exe"
    BLOCK _lumora_block_Updater,           "TarvelUP.exe"
    BLOCK _lumora_block_Uninstaller,       "卸载.exe"
    BLOCK _lumora_block_FunctionLibrary,   "Function.dll"
    BLOCK _lumora_block_SkinLibrary,       "Tarvel-Skin.dll"
    BLOCK _lumora_block_ReleaseNotes,      "更新日志.log"
    BLOCK _lumora_block_FaqText,           "常见问题解答.txt"
    BLOCK _lumora_block_WebsiteShortcut,   "Lumora官网.url"
    BLOCK _lumora_block_TutorialShortcut,  "Lumora视频教程.url"
