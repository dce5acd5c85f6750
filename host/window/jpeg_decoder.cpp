// The JPEG decoder: stb_image, built for JPEG alone and from memory
// alone. The window's two pictures are small baseline JPEGs, and this is the least code that
// decodes them.
#include <cstddef>
#include <cstring>

#include "host/system/system_pages.h"

namespace {

// The decoder's buffers (the side picture's rows and its work areas, a few hundred kilobytes
// in all) go back to the system whole after the decoding.
void* MorePictureMemory(void* memory, std::size_t had, std::size_t size) {
    void* more = host::TakePages(size);
    if (more && memory) std::memcpy(more, memory, had < size ? had : size);
    if (more) host::GivePagesBack(memory);
    return more;
}

}  // namespace

#define STBI_MALLOC(size) host::TakePages(size)
#define STBI_FREE(memory) host::GivePagesBack(memory)
#define STBI_REALLOC_SIZED(memory, had, size) MorePictureMemory(memory, had, size)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_NO_SIMD
#define STBI_NO_FAILURE_STRINGS
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>
