#include "host/image_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace host {
namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}  // warnings must not reach stderr

// Kept free of objects with destructors: the decoder leaves by longjmp on errors.
bool DecodeInto(const ImageData& image, jpeg_decompress_struct& info, JpegError& error,
                HBITMAP& bitmap, int& width, int& height) {
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.output_message = IgnoreJpegMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, image.bytes, static_cast<unsigned long>(image.size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        jpeg_destroy_decompress(&info);
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
        return false;
    }
    auto* rows = static_cast<unsigned char*>(bits);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rows + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    GdiFlush();
    return true;
}

}  // namespace

bool IsJpeg(const ImageData& image) {
    return image.bytes && image.size >= 3 && image.bytes[0] == 0xFF && image.bytes[1] == 0xD8 &&
           image.bytes[2] == 0xFF;
}

HBITMAP DecodeJpeg(const ImageData& image, int& width, int& height) {
    width = height = 0;
    if (!IsJpeg(image)) return nullptr;
    jpeg_decompress_struct info{};
    JpegError error{};
    HBITMAP bitmap = nullptr;
    if (!DecodeInto(image, info, error, bitmap, width, height)) return nullptr;
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
