# What only the Linux build has, beside the targets of CMakeLists.txt: the libraries the backend and the Qt windows
# use, libcurl in the fetch helper, the widget tests, the end-to-end tests, benchmarks, fuzz targets and the package.

find_package(CURL REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Widgets Test DBus)
find_package(GTest REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-ewmh xcb-res)
include(GoogleTest)

target_link_libraries(kelvora_platform PUBLIC PkgConfig::XCB Qt6::DBus) # D-Bus: KWin's and GNOME's focus

set_target_properties(kelvora_ui PROPERTIES AUTOMOC ON AUTORCC ON)
target_sources(kelvora_ui PRIVATE ${CMAKE_SOURCE_DIR}/resources/resources.qrc)
target_link_libraries(kelvora_ui PUBLIC Qt6::Widgets)

# libcurl and the many libraries it loads live only in the fetch helper, a process of its own for each request,
# so the program itself never holds them.
file(GLOB KELVORA_CURL_SOURCES CONFIGURE_DEPENDS src/update/transfer/linux/curl/*.cpp)
add_library(kelvora_curl STATIC ${KELVORA_CURL_SOURCES})
target_include_directories(kelvora_curl PUBLIC src)
target_link_libraries(kelvora_curl PRIVATE kelvora_warnings)
target_link_libraries(kelvora_curl PUBLIC CURL::libcurl Threads::Threads)
file(GLOB KELVORA_FETCH_SOURCES CONFIGURE_DEPENDS src/update/transfer/linux/helper/*.cpp)
add_executable(kelvora2008-fetch ${KELVORA_FETCH_SOURCES} src/update/transfer/linux/FetchAnswer.cpp)
target_link_libraries(kelvora2008-fetch PRIVATE kelvora_warnings)
target_link_libraries(kelvora2008-fetch PRIVATE kelvora_curl)
add_dependencies(kelvora_ui kelvora2008-fetch) # the update windows run it from the executable's folder

# The KWin script the program loads under KDE Plasma lies beside it, as the package installs it.
add_custom_target(kelvora_kwin_script ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/packaging/linux/kwin $<TARGET_FILE_DIR:kelvora2008>/kwin
    COMMENT "Copying the KWin script beside the executable")

# The unit tests, each test a ctest entry; the transfer tests run libcurl directly too.
target_link_libraries(kelvora_test_support PUBLIC kelvora_curl)
foreach(sub IN LISTS KELVORA_TEST_PROGRAMS)
    gtest_discover_tests(test_${sub} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${sub}." DISCOVERY_TIMEOUT 60)
endforeach()
add_dependencies(test_platform kelvora_kwin_script)

# One widget-test program per subsystem (tests/<subsystem>/qt/*_test.cpp), on Qt's offscreen platform.
foreach(sub IN LISTS KELVORA_SUBSYSTEMS)
    file(GLOB ui_tests CONFIGURE_DEPENDS tests/${sub}/qt/*_test.cpp)
    if(ui_tests)
        add_executable(uitest_${sub} ${ui_tests} tests/support/qt/QtTestMain.cpp)
        set_target_properties(uitest_${sub} PROPERTIES AUTOMOC ON)
        target_link_libraries(uitest_${sub} PRIVATE kelvora_warnings)
        target_link_libraries(uitest_${sub} PRIVATE kelvora_ui kelvora_test_support Qt6::Test)
        gtest_discover_tests(uitest_${sub} DISCOVERY_MODE PRE_TEST TEST_PREFIX "ui.${sub}." DISCOVERY_TIMEOUT 60
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endforeach()

# A name lookup that stalls, preloaded into the fetch helper by the update tests.
add_library(kelvora_stalling_resolver MODULE tests/support/preload/StallingResolver.cpp)
target_link_libraries(kelvora_stalling_resolver PRIVATE kelvora_warnings)
target_link_libraries(kelvora_stalling_resolver PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(uitest_update kelvora_stalling_resolver)

# The main window's scale test again on screens scaled by 1.25, 1.5 and 2.
foreach(scale 1.25 1.5 2)
    if(TARGET uitest_app)
        add_test(NAME ui.app.Scale.at${scale} COMMAND uitest_app --gtest_filter=Scale.*)
        set_tests_properties(ui.app.Scale.at${scale} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=${scale}")
    endif()
endforeach()

# End-to-end tests drive the real executable under Xvfb and a window manager.
# The system's Python, whose GObject bindings (python3-gi) reach AT-SPI, rather than another one first on the PATH.
function(kelvora_python_has_gi result candidate)
    execute_process(COMMAND ${candidate} -c "import gi" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(NOT status EQUAL 0)
        set(${result} FALSE PARENT_SCOPE)
    endif()
endfunction()
find_program(KELVORA_PYTHON3 python3 VALIDATOR kelvora_python_has_gi)
file(GLOB e2e_tests CONFIGURE_DEPENDS tests/e2e/test_*.py)
foreach(script IN LISTS e2e_tests)
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e.${name} COMMAND ${KELVORA_PYTHON3} ${script} $<TARGET_FILE:kelvora2008>)
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE LABELS e2e SKIP_RETURN_CODE 77)
endforeach()

# Benchmarks print ratios against a baseline measured in the same run; tools/bench runs them.
# KELVORA_BENCHMARKS: one command per benchmark, its words joined by tabs.
file(GLOB bench_sources CONFIGURE_DEPENDS bench/*.cpp)
set(KELVORA_BENCHMARKS)
foreach(source IN LISTS bench_sources)
    get_filename_component(name ${source} NAME_WE)
    list(APPEND KELVORA_BENCHMARKS "$<TARGET_FILE:bench_${name}>")
    add_executable(bench_${name} ${source})
    set_target_properties(bench_${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(bench_${name} PRIVATE kelvora_warnings)
    target_link_libraries(bench_${name} PRIVATE kelvora_ui kelvora_platform kelvora_platform_fake)
endforeach()

# The responsiveness benchmark: a demanding X client in front, hogs behind, with and without the program.
add_executable(kelvora_bench_responsiveness_client bench/responsiveness/client.cpp)
target_link_libraries(kelvora_bench_responsiveness_client PRIVATE kelvora_warnings PkgConfig::XCB Threads::Threads)
list(APPEND KELVORA_BENCHMARKS "${KELVORA_PYTHON3}\t${CMAKE_SOURCE_DIR}/bench/responsiveness/run.py\t$<TARGET_FILE:kelvora2008>\t$<TARGET_FILE:kelvora_bench_responsiveness_client>")

# The footprint benchmark's baseline: a minimal Qt Widgets program, linked against nothing else.
add_executable(kelvora_minimal_widgets bench/baseline/minimal_widgets.cpp)
target_link_libraries(kelvora_minimal_widgets PRIVATE kelvora_warnings)
target_link_libraries(kelvora_minimal_widgets PRIVATE Qt6::Widgets)
add_dependencies(bench_footprint kelvora2008 kelvora_languages kelvora_minimal_widgets)

# The benchmarks tools/bench runs, one command a line.
list(JOIN KELVORA_BENCHMARKS "\n" KELVORA_BENCHMARK_LINES)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/benchmarks.txt CONTENT "${KELVORA_BENCHMARK_LINES}\n")

# Fuzz targets (tests/fuzz/fuzz_*.cpp): libFuzzer binaries under KELVORA_FUZZ, and in every build a replay of
# the checked-in corpus as an ordinary test, so a finding once fixed stays fixed.
file(GLOB fuzz_sources CONFIGURE_DEPENDS tests/fuzz/fuzz_*.cpp)
foreach(source IN LISTS fuzz_sources)
    get_filename_component(name ${source} NAME_WE)
    if(KELVORA_FUZZ)
        add_executable(${name} ${source})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE kelvora_logic kelvora_curl kelvora_platform)
    endif()
    add_executable(replay_${name} ${source} tests/fuzz/ReplayMain.cpp)
    target_link_libraries(replay_${name} PRIVATE kelvora_warnings)
    target_link_libraries(replay_${name} PRIVATE kelvora_logic kelvora_curl kelvora_platform)
    add_test(NAME fuzz.replay.${name} COMMAND replay_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
endforeach()

# Install layout and the Debian package.
include(cmake/Packaging.cmake)
