#pragma once
// Turns the carried image files into GDI objects for the picture boxes.
#include <windows.h>

#include "host/window/window_description.h"

namespace host {

// A JPEG decoded into a top-down 24-bit DIB section. Returns null when the data is not a
// JPEG that can be decoded.
HBITMAP DecodeJpeg(const ImageData& image, int& width, int& height);

// The first image of an icon file, with its alpha channel. Returns null when the data is
// not an icon file.
HICON DecodeIcon(const ImageData& image, int& width, int& height);

// True when the data starts like a JPEG file.
bool IsJpeg(const ImageData& image);

}  // namespace host
