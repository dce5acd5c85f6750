// The JPEG decoder: stb_image, built for JPEG alone and from memory
// alone. The window's two pictures are small baseline JPEGs, and this is the least code that
// decodes them.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_NO_SIMD
#define STBI_NO_FAILURE_STRINGS
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>
