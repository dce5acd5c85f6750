// Function.dll: the product's additional functions. For now it offers one text, the
// summary the main program shows of what the library provides.
#include "product/function/data_get.h"

extern "C" const char* DataGet() {
    return "Lumora 功能库 v" LUMORA_VERSION "：皮肤、在线更新与视频教程已就绪。";
}
