# The shipped build: this tree configured again in shipped/ with the win32-thread compilers
# and LUMORA_SHIPPED_ONLY, leaving the product's files and the setup in this build's folders.
# It runs on every build of this one; its own make finds out what changed.
include(ExternalProject)
ExternalProject_Add(shipped
    SOURCE_DIR "${CMAKE_SOURCE_DIR}"
    BINARY_DIR "${CMAKE_BINARY_DIR}/shipped"
    CMAKE_ARGS "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw-i686-win32.cmake"
               "-DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}"
               -DLUMORA_SHIPPED_ONLY=ON
               "-DLUMORA_DEPS_DIR=${LUMORA_DEPS_DIR}"
               "-DLUMORA_PRODUCT_VERSION=${LUMORA_PRODUCT_VERSION}"
               "-DLUMORA_PRODUCT_FROM=${LUMORA_PRODUCT_FROM}"
               "-DLUMORA_PRODUCT_DIR=${LUMORA_PRODUCT_DIR}"
               "-DLUMORA_SETUP_DIR=${LUMORA_SETUP_DIR}"
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
