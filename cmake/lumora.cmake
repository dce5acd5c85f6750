# Archives without time stamps, owners or modes, whatever the archiver's own default; those of
# link-time optimised objects through the compiler's wrappers, as CMake makes them.
foreach(lang C CXX ASM)
    set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
foreach(lang C CXX)
    set(CMAKE_${lang}_ARCHIVE_CREATE_IPO "\"${CMAKE_${lang}_COMPILER_AR}\" crD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND_IPO "\"${CMAKE_${lang}_COMPILER_AR}\" rD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH_IPO "\"${CMAKE_${lang}_COMPILER_RANLIB}\" -D <TARGET>")
endforeach()

# Settings every target of ours shares: GBK string literals from UTF-8 sources, warnings as
# errors, and a fully static link so that nothing but Windows' own DLLs is imported.
# The same commit gives the same bytes in any folder at any time: no build folder or source
# path in a binary (__FILE__), no __DATE__ or __TIME__, and a link time stamp of zero in the
# header and a library's export table. Every image may be loaded anywhere (its relocations
# are kept), runs with no-execute data and declares that it registers no SEH handler (the
# i686 compilers unwind C++ exceptions by DWARF tables; the runtime's crash handler is a
# top-level filter, not a frame).
function(lumora_settings target)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8 -fexec-charset=GBK -Wall -Wextra -Werror -Wdate-time>
        # The most specific last: the compiler tries the maps from the last one given.
        $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build
                                    -ffile-prefix-map=${LUMORA_DEPS_DIR}=deps>
        # Small over fast: nothing here is hot, and every byte is downloaded. Sections of their
        # own let the linker drop what is never called.
        $<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<CONFIG:Release>>:-Os -ffunction-sections -fdata-sections>)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                               WINVER=0x0601)
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE" OR kind STREQUAL "SHARED_LIBRARY")
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
                            -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat -Wl,--no-seh
                            $<$<CONFIG:Release>:-s -Wl,--gc-sections>)
    endif()
    if(LUMORA_SHIPPED_ONLY)
        # What ships is optimised across its sources at link time, as one partition (the
        # smallest; and GCC 12 for mingw stops with an internal error, binds_to_current_def_p,
        # when it splits a program of ours into several), and has no run-time type
        # information: nothing of ours asks for it.
        set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
        target_compile_options(${target} PRIVATE $<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CONFIG:Release>>:-fno-rtti>)
        target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-flto-partition=one>)
    endif()
endfunction()

# A Windows GUI program of ours; it asks for no compatibility shims under a terminal server.
function(lumora_gui_program target)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    lumora_settings(${target})
    target_link_options(${target} PRIVATE -Wl,--tsaware)
endfunction()
