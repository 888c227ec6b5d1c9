# The Windows build: the Win32 backend, the WinHTTP transfer, the logic and their tests, cross-built with
# mingw-w64 (cmake/mingw-w64-x86_64.cmake) and run under Wine by ctest. The Qt windows stay on Linux.

# GoogleTest from the source Debian ships, built for Windows alongside the project.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# Found in src/googletest of the prefix this CMake belongs to, where Debian's libgtest-dev puts them.
cmake_path(GET CMAKE_COMMAND PARENT_PATH host_bin)
cmake_path(GET host_bin PARENT_PATH host_prefix)
find_path(KELVORA_GTEST_SOURCE_DIR CMakeLists.txt PATHS ${host_prefix}/src/googletest
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH DOC "GoogleTest's sources, built for Windows (libgtest-dev)")
if(NOT KELVORA_GTEST_SOURCE_DIR)
    message(FATAL_ERROR "GoogleTest's sources not found: install libgtest-dev (tools/deps) or set KELVORA_GTEST_SOURCE_DIR")
endif()
add_subdirectory(${KELVORA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Wide Win32 calls throughout, UTF-8 inside the program: for every target that includes the Win32 headers (through
# the backend or the logic's transfer), not for GoogleTest.
add_library(kelvora_win32_api INTERFACE)
target_compile_definitions(kelvora_win32_api INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

target_link_libraries(kelvora_platform PUBLIC kelvora_win32_api psapi advapi32 shell32 user32)

# The logic as on Linux, with the WinHTTP transfer in place of the libcurl one.
set(KELVORA_LOGIC_SOURCES)
foreach(sub IN LISTS KELVORA_SUBSYSTEMS)
    file(GLOB sub_sources CONFIGURE_DEPENDS src/${sub}/*.cpp src/${sub}/windows/*.cpp src/${sub}/*/windows/*.cpp)
    list(APPEND KELVORA_LOGIC_SOURCES ${sub_sources})
endforeach()
add_library(kelvora_logic STATIC ${KELVORA_LOGIC_SOURCES})
target_include_directories(kelvora_logic PUBLIC src)
target_link_libraries(kelvora_logic PRIVATE kelvora_warnings)
target_compile_definitions(kelvora_logic PUBLIC
    KELVORA_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    KELVORA_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    KELVORA_VERSION_REVISION=${PROJECT_VERSION_TWEAK}
    KELVORA_DEFAULT_VENDOR_URL="${KELVORA_VENDOR_URL}")
target_link_libraries(kelvora_logic PUBLIC kelvora_win32_api Threads::Threads winhttp)

enable_testing()

include(cmake/WindowsProgram.cmake) # kelvora2008.exe, its zip and installer, and its end-to-end test

# Test helpers; the POSIX server and temp folders have Windows counterparts in tests/support/windows.
file(GLOB KELVORA_TEST_SUPPORT CONFIGURE_DEPENDS tests/support/windows/*.cpp)
add_library(kelvora_test_support STATIC ${KELVORA_TEST_SUPPORT})
target_include_directories(kelvora_test_support PUBLIC src tests)
# Wine shows the Linux root as drive Z:.
target_compile_definitions(kelvora_test_support PUBLIC
    KELVORA_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}"
    KELVORA_BINARY_DIR="Z:${CMAKE_BINARY_DIR}")
target_link_libraries(kelvora_test_support PUBLIC kelvora_logic kelvora_platform kelvora_platform_fake gtest gmock ws2_32)

# The logic suites, as on Linux; the tests of the Linux backends and the libcurl transfer lie in linux/ folders.
# One ctest entry per program: every Wine start costs about a second.
foreach(sub IN LISTS KELVORA_SUBSYSTEMS ITEMS platform)
    file(GLOB_RECURSE unit_tests CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} tests/${sub}/*_test.cpp)
    list(FILTER unit_tests EXCLUDE REGEX "/(qt|win32|linux)/")
    if(unit_tests)
        add_executable(test_${sub} ${unit_tests})
        target_link_libraries(test_${sub} PRIVATE kelvora_warnings)
        target_link_libraries(test_${sub} PRIVATE kelvora_test_support gtest_main)
        add_test(NAME windows.${sub} COMMAND test_${sub})
        set_tests_properties(windows.${sub} PROPERTIES TIMEOUT 300 LABELS windows)
    endif()
endforeach()

# The child the Win32 contract tests start (test_platform finds it beside itself).
add_executable(kelvora_contract_helper tests/platform/windows/helper/ContractHelper.cpp)
target_compile_options(kelvora_contract_helper PRIVATE -municode)
target_link_libraries(kelvora_contract_helper PRIVATE kelvora_warnings)
target_link_options(kelvora_contract_helper PRIVATE -municode)
target_link_libraries(kelvora_contract_helper PRIVATE kelvora_platform)
if(TARGET test_platform)
    add_dependencies(test_platform kelvora_contract_helper)
endif()

# The WinHTTP transfer against the hostile servers of the Linux suite
# (tests/update/transfer/linux/HostileServer_test.cpp): the Linux test program serves each case on 127.0.0.1 and
# fetches it through this program under Wine.
set(KELVORA_LINUX_BUILD_DIR "${CMAKE_SOURCE_DIR}/build" CACHE PATH "The Linux build whose test_update serves the cases")
# Wine's WinHTTP accepts what Windows refuses: header lines it cuts at about 1.4 KB and header blocks without an
# end or a size limit, header lines with NUL or garbage, chunked bodies cut short. Those cases stay on Linux.
set(KELVORA_WINE_LENIENT_HTTP
    "-HostileServerTest.EndlessOrHugeHeaders*:HostileServerTest.ACutOffStatusLine*:HostileServerTest.AContentLength*")
add_executable(kelvora_winhttp_fetch tests/update/transfer/windows/WinHttpFetch.cpp)
target_link_libraries(kelvora_winhttp_fetch PRIVATE kelvora_warnings)
target_link_libraries(kelvora_winhttp_fetch PRIVATE kelvora_logic kelvora_platform)
add_test(NAME windows.update.hostile_servers
    COMMAND ${CMAKE_COMMAND} -E env
        "KELVORA_FETCH_COMMAND=${CMAKE_SOURCE_DIR}/tools/wine-run $<TARGET_FILE:kelvora_winhttp_fetch>"
        ${KELVORA_LINUX_BUILD_DIR}/test_update --gtest_filter=HostileServerTest.*:${KELVORA_WINE_LENIENT_HTTP})
set_tests_properties(windows.update.hostile_servers PROPERTIES TIMEOUT 600 LABELS windows)

# The language files the logic looks for beside the executables.
add_custom_target(kelvora_languages ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/languages ${CMAKE_BINARY_DIR}/languages)
