#include "host/window/image_decode.h"

#include <cstring>
#include <memory>

#include <stb_image.h>

namespace host {

bool IsJpeg(const ImageData& image) {
    return image.bytes && image.size >= 3 && image.bytes[0] == 0xFF && image.bytes[1] == 0xD8 &&
           image.bytes[2] == 0xFF;
}

HBITMAP DecodeJpeg(const ImageData& image, int& width, int& height) {
    width = height = 0;
    if (!IsJpeg(image) || image.size > 0x7FFFFFFF) return nullptr;
    int w = 0, h = 0, components = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(image.bytes, static_cast<int>(image.size), &w, &h, &components, 3), stbi_image_free);
    if (!rgb || w <= 0 || h <= 0) return nullptr;

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;  // a quarter less memory than 32, for as long as the window is up
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    // RGB rows to the DIB's blue, green and red, each row padded to four bytes.
    const stbi_uc* from = rgb.get();
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~static_cast<std::size_t>(3);
    for (int y = 0; y < h; ++y) {
        auto* to = static_cast<unsigned char*>(bits) + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < w; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    GdiFlush();
    width = w;
    height = h;
    return bitmap;
}

HICON DecodeIcon(const ImageData& image, int& width, int& height) {
    width = height = 0;
    // ICONDIR (6 bytes), then 16-byte entries: width, height, colours, reserved, planes,
    // bit count, size of the image data, offset of it.
    if (!image.bytes || image.size < 22) return nullptr;
    const unsigned char* d = image.bytes;
    if (d[0] != 0 || d[1] != 0 || d[2] != 1 || d[3] != 0 || (d[4] | (d[5] << 8)) < 1) return nullptr;
    const unsigned char* entry = d + 6;
    const int w = entry[0] ? entry[0] : 256;
    const int h = entry[1] ? entry[1] : 256;
    DWORD size, offset;
    std::memcpy(&size, entry + 8, 4);
    std::memcpy(&offset, entry + 12, 4);
    if (offset > image.size || size > image.size - offset) return nullptr;
    // CreateIconFromResourceEx takes a non-const pointer but does not write through it.
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(d + offset), size, TRUE, 0x00030000,
                                          w, h, LR_DEFAULTCOLOR);
    if (icon) {
        width = w;
        height = h;
    }
    return icon;
}

}  // namespace host
