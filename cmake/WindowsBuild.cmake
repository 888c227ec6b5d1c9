# What only the Windows build has, beside the targets of CMakeLists.txt: cross-built with mingw-w64
# (cmake/mingw-w64-x86_64.cmake), GoogleTest from source, the Win32 libraries, the tests run under Wine by ctest,
# and the program with its zip and installer (cmake/WindowsProgram.cmake).

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
# the backend, the logic's transfer or the windows), not for GoogleTest.
add_library(kelvora_win32_api INTERFACE)
target_compile_definitions(kelvora_win32_api INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

target_link_libraries(kelvora_platform PUBLIC kelvora_win32_api psapi advapi32 shell32 user32)
target_link_libraries(kelvora_logic PUBLIC winhttp) # the transfer
target_compile_definitions(kelvora_ui PUBLIC WINVER=0x0A00)
target_link_libraries(kelvora_ui PUBLIC kelvora_win32_api comctl32 gdi32 user32)

include(cmake/WindowsProgram.cmake) # kelvora2008.exe as a Windows program, its zip and installer, its end-to-end test

# The unit tests: one ctest entry per program, as every Wine start costs about a second.
target_link_libraries(kelvora_test_support PUBLIC ws2_32)
foreach(sub IN LISTS KELVORA_TEST_PROGRAMS)
    add_test(NAME windows.${sub} COMMAND test_${sub})
    set_tests_properties(windows.${sub} PROPERTIES TIMEOUT 300 LABELS windows)
endforeach()

# The child the Win32 contract tests start (test_platform finds it beside itself).
add_executable(kelvora_contract_helper tests/platform/windows/helper/ContractHelper.cpp)
target_compile_options(kelvora_contract_helper PRIVATE -municode)
target_link_libraries(kelvora_contract_helper PRIVATE kelvora_warnings)
target_link_options(kelvora_contract_helper PRIVATE -municode)
target_link_libraries(kelvora_contract_helper PRIVATE kelvora_platform)
add_dependencies(test_platform kelvora_contract_helper)

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
