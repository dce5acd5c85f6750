// The JPEG decoder: stb_image, built for JPEG alone and from memory
// alone. The window's two pictures are small baseline JPEGs, and this is the least code that
// decodes them.
#include <windows.h>

#include <cstddef>
#include <cstring>

namespace {

// The decoder's buffers (the side picture's rows and its work areas, a few hundred kilobytes
// in all) come from the system and go back to it whole: taken from the heap, their pages would
// stay with the process after the decoding, for as long as it runs.
void* PictureMemory(std::size_t size) {
    return VirtualAlloc(nullptr, size ? size : 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreePictureMemory(void* memory) {
    if (memory) VirtualFree(memory, 0, MEM_RELEASE);
}

void* MorePictureMemory(void* memory, std::size_t had, std::size_t size) {
    void* more = PictureMemory(size);
    if (more && memory) std::memcpy(more, memory, had < size ? had : size);
    if (more) FreePictureMemory(memory);
    return more;
}

}  // namespace

#define STBI_MALLOC(size) PictureMemory(size)
#define STBI_FREE(memory) FreePictureMemory(memory)
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
