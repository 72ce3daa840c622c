# Third-party libraries, all from Debian's packages (see scripts/bootstrap).
# Each becomes an imported target with the same name in both trees:
#   vantu::cryptopp  vantu::rapidjson  vantu::zlib  GTest::gtest  GTest::gmock

if(WIN32)
    set(vantu_cache_root "$ENV{VANTU_CACHE}")
    if(vantu_cache_root STREQUAL "")
        set(vantu_cache_root "/var/cache/vantu")
    endif()
    set(VANTU_CRYPTOPP_PREFIX "${vantu_cache_root}/cryptopp-8.7.0-mingw64-posix"
        CACHE PATH "Crypto++ built for mingw by scripts/bootstrap")
    if(NOT EXISTS "${VANTU_CRYPTOPP_PREFIX}/lib/libcryptopp.a")
        message(FATAL_ERROR "Crypto++ for mingw is missing in ${VANTU_CRYPTOPP_PREFIX}: run scripts/bootstrap")
    endif()
    add_library(vantu::cryptopp STATIC IMPORTED GLOBAL)
    set_target_properties(vantu::cryptopp PROPERTIES
        IMPORTED_LOCATION "${VANTU_CRYPTOPP_PREFIX}/lib/libcryptopp.a"
        INTERFACE_INCLUDE_DIRECTORIES "${VANTU_CRYPTOPP_PREFIX}/include"
        # The library was built with this define (scripts/bootstrap); every user of its
        # headers must see the same class layouts, or calls corrupt the stack.
        INTERFACE_COMPILE_DEFINITIONS CRYPTOPP_DISABLE_ASM)
    target_link_libraries(vantu::cryptopp INTERFACE ws2_32 bcrypt)

    # The host's /usr/include must never reach the mingw compiler: copy RapidJSON's
    # headers (header-only) into a folder of this build.
    set(VANTU_RAPIDJSON_INCLUDE "${CMAKE_BINARY_DIR}/include-rapidjson")
    if(NOT EXISTS "${VANTU_RAPIDJSON_INCLUDE}/rapidjson/document.h")
        file(COPY /usr/include/rapidjson DESTINATION "${VANTU_RAPIDJSON_INCLUDE}")
    endif()
    add_library(vantu::rapidjson INTERFACE IMPORTED GLOBAL)
    set_target_properties(vantu::rapidjson PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${VANTU_RAPIDJSON_INCLUDE}")

    add_library(vantu::zlib STATIC IMPORTED GLOBAL)
    set_target_properties(vantu::zlib PROPERTIES
        IMPORTED_LOCATION /usr/x86_64-w64-mingw32/lib/libz.a
        INTERFACE_INCLUDE_DIRECTORIES /usr/x86_64-w64-mingw32/include)

    # GoogleTest from the source that Debian's googletest package ships.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gmock ALIAS gmock)
    endif()
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(CRYPTOPP REQUIRED IMPORTED_TARGET libcrypto++)
    add_library(vantu::cryptopp ALIAS PkgConfig::CRYPTOPP)

    add_library(vantu::rapidjson INTERFACE IMPORTED GLOBAL)

    find_package(ZLIB REQUIRED)
    add_library(vantu::zlib ALIAS ZLIB::ZLIB)

    find_package(GTest REQUIRED)
    find_package(Threads REQUIRED)
endif()
