# Settings every target of ours shares: GBK string literals from UTF-8 sources, warnings as
# errors, and a fully static link so that nothing but Windows' own DLLs is imported.
function(lumora_settings target)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8 -fexec-charset=GBK -Wall -Wextra -Werror>
        # Small over fast: nothing here is hot, and every byte is downloaded. Sections of their
        # own let the linker drop what is never called.
        $<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<CONFIG:Release>>:-Os -ffunction-sections -fdata-sections>)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                               WINVER=0x0601)
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE" OR kind STREQUAL "SHARED_LIBRARY")
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
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

# A Windows GUI program of ours.
function(lumora_gui_program target)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    lumora_settings(${target})
endfunction()
