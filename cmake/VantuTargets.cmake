# Helpers that keep every folder's CMakeLists.txt to a list of files.
#
#   vantu_library(<name> PORTABLE a.cpp ... WINDOWS a_win.cpp ... POSIX a_posix.cpp ... DEPS ... WIN_DEPS ...)
#     -> static library vantu_<name>; WINDOWS sources only in the win64 tree, POSIX
#        sources only in the native tree (no portable file carries #ifdef _WIN32).
#   vantu_test(<name> SOURCES ... [WIN_SOURCES ...] DEPS ... [NATIVE_ONLY|WINDOWS_ONLY]
#              [TESTSERVER] [ENGLISH] [PROPERTIES ...])
#     -> one GoogleTest executable registered as one ctest test; in the win64
#        tree ctest runs it under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
#        TESTSERVER: tests/support/with-testserver starts the native test server
#        around the run and exports its ports as VANTU_TS_* variables.
#        ENGLISH: run under the English locale instead of the Korean one.
#        OWN_PREFIX: run in a copy of the Wine prefix of its own, for a test that
#        changes the machine under the tests running beside it.
#   vantu_version_resource(<target> "<description>")
#     -> FileVersion/ProductVersion/FileDescription from the project version.

option(VANTU_SANITIZE "Build the native tree with AddressSanitizer and UBSan" OFF)

add_library(vantu_options INTERFACE)
target_compile_options(vantu_options INTERFACE -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
if(WIN32)
    target_compile_definitions(vantu_options INTERFACE
        UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00 VANTU_WINDOWS=1)
    # One self-contained file: no libstdc++/libwinpthread DLLs to ship.
    target_link_options(vantu_options INTERFACE -static -static-libgcc -static-libstdc++)
elseif(VANTU_SANITIZE)
    target_compile_options(vantu_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(vantu_options INTERFACE -fsanitize=address,undefined)
endif()

function(vantu_library name)
    cmake_parse_arguments(A "" "" "PORTABLE;WINDOWS;POSIX;DEPS;WIN_DEPS" ${ARGN})
    set(srcs ${A_PORTABLE})
    if(WIN32)
        list(APPEND srcs ${A_WINDOWS})
    else()
        list(APPEND srcs ${A_POSIX})
    endif()
    if(srcs)
        add_library(vantu_${name} STATIC ${srcs})
        set(scope PUBLIC)
    else()
        add_library(vantu_${name} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(vantu_${name} ${scope} "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(vantu_${name} ${scope} vantu_options ${A_DEPS})
    if(WIN32 AND A_WIN_DEPS)
        target_link_libraries(vantu_${name} ${scope} ${A_WIN_DEPS})
    endif()
endfunction()

function(vantu_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    set(VANTU_FILE_DESCRIPTION "${description}")
    set(VANTU_ORIGINAL_NAME "${target}.exe")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
    configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
endfunction()

function(vantu_test name)
    cmake_parse_arguments(A "NATIVE_ONLY;WINDOWS_ONLY;TESTSERVER;ENGLISH;OWN_PREFIX" "" "SOURCES;WIN_SOURCES;DEPS;PROPERTIES" ${ARGN})
    if(A_NATIVE_ONLY AND WIN32)
        return()
    endif()
    if(A_WINDOWS_ONLY AND NOT WIN32)
        return()
    endif()
    set(srcs ${A_SOURCES})
    if(WIN32)
        list(APPEND srcs ${A_WIN_SOURCES})
    endif()
    add_executable(${name} ${srcs})
    target_link_libraries(${name} PRIVATE vantu_options ${A_DEPS} GTest::gmock GTest::gtest)
    target_sources(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp")
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests" "${PROJECT_SOURCE_DIR}/src")
    vantu_version_resource(${name} "Vantu Check Tool test ${name}")
    if(WIN32)
        set(server "${VANTU_NATIVE_BUILD_DIR}/tools/testserver/vantu-testserver")
        set(runner ${CMAKE_CROSSCOMPILING_EMULATOR})
    else()
        set(server "${CMAKE_BINARY_DIR}/tools/testserver/vantu-testserver")
        set(runner)
    endif()
    if(A_TESTSERVER)
        add_test(NAME ${name} COMMAND "${PROJECT_SOURCE_DIR}/tests/support/with-testserver" "${server}"
                 -- ${runner} $<TARGET_FILE:${name}>)
        if(NOT WIN32)
            add_dependencies(${name} vantu-testserver)
        endif()
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "VANTU_TESTSERVER=${server}")
    if(WIN32)
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
        if(A_ENGLISH)
            set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "VANTU_WINE_LANG=en_US.UTF-8")
        endif()
        if(A_OWN_PREFIX)
            set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "VANTU_WINE_OWN_PREFIX=${name}")
        endif()
    endif()
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
        "VANTU_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    if(A_PROPERTIES)
        set_tests_properties(${name} PROPERTIES ${A_PROPERTIES})
    endif()
endfunction()

# vantu_shipped_program(<target>): in the win64 Release tree the executable handed
# to customers is stripped after linking; its symbol table is kept beside it as
# <name>.exe.debug (linked by .gnu_debuglink) for crash analysis, and the build
# prints both sizes.
function(vantu_shipped_program target)
    if(NOT WIN32 OR NOT CMAKE_BUILD_TYPE STREQUAL "Release" OR NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
        return()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${target}>" "$<TARGET_FILE:${target}>.debug"
        COMMAND "${CMAKE_STRIP}" --strip-all "$<TARGET_FILE:${target}>"
        COMMAND "${CMAKE_OBJCOPY}" "--add-gnu-debuglink=$<TARGET_FILE:${target}>.debug" "$<TARGET_FILE:${target}>"
        COMMAND "${CMAKE_COMMAND}" "-DFILES=$<TARGET_FILE:${target}>;$<TARGET_FILE:${target}>.debug"
                -P "${PROJECT_SOURCE_DIR}/cmake/print_sizes.cmake"
        WORKING_DIRECTORY "$<TARGET_FILE_DIR:${target}>"
        VERBATIM)
endfunction()
