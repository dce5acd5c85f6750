# Fails when a source or header of the wizard reaches <windows.h>, directly or through another
# header: the handlers see the window only through the control surface.
#   cmake -DCXX=compiler -DROOT=repository -P no_system_headers.cmake
file(GLOB sources "${ROOT}/wizard/*.cpp" "${ROOT}/wizard/*.h")
foreach(source IN LISTS sources)
    execute_process(COMMAND "${CXX}" -std=c++20 -x c++ -finput-charset=UTF-8 -fexec-charset=GBK
                            -I "${ROOT}" -M "${source}"
                    OUTPUT_VARIABLE dependencies ERROR_VARIABLE errors RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${source} does not preprocess:\n${errors}")
    endif()
    string(TOLOWER "${dependencies}" dependencies)
    if(dependencies MATCHES "[/\\\\ ]windows\\.h")
        message(FATAL_ERROR "${source} reaches <windows.h>")
    endif()
    message(STATUS "${source}: no system window headers")
endforeach()
