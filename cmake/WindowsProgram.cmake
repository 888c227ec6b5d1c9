# kelvora2008.exe: the Win32 windows (src/win32ui, src/<subsystem>/win32) over the logic, with its icon, pictures,
# manifest and version resource; linked statically, so it runs with nothing beside it but languages/.
enable_language(RC)

set(KELVORA_ARTWORK_DIR ${CMAKE_BINARY_DIR}/artwork)
set(KELVORA_ARTWORK
    ${KELVORA_ARTWORK_DIR}/banner.bmp ${KELVORA_ARTWORK_DIR}/navpanel.bmp ${KELVORA_ARTWORK_DIR}/hoverbar.bmp
    ${KELVORA_ARTWORK_DIR}/updatetile.bmp ${KELVORA_ARTWORK_DIR}/version.bmp ${KELVORA_ARTWORK_DIR}/footer.bmp
    ${KELVORA_ARTWORK_DIR}/banner@2x.bmp ${KELVORA_ARTWORK_DIR}/navpanel@2x.bmp ${KELVORA_ARTWORK_DIR}/hoverbar@2x.bmp
    ${KELVORA_ARTWORK_DIR}/updatetile@2x.bmp ${KELVORA_ARTWORK_DIR}/version@2x.bmp ${KELVORA_ARTWORK_DIR}/footer@2x.bmp
    ${KELVORA_ARTWORK_DIR}/kelvora.ico)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${KELVORA_ARTWORK}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/resources/make_artwork.py --windows ${KELVORA_ARTWORK_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_artwork.py
    COMMENT "Drawing the pictures and icon of the Windows resource file")
add_custom_target(kelvora_artwork DEPENDS ${KELVORA_ARTWORK})

# The program of CMakeLists.txt (src/app/win32/program over the windows of kelvora_ui) as a Windows program.
# The resource file and the manifest it holds carry the project's version.
configure_file(resources/windows/kelvora2008.rc.in ${CMAKE_BINARY_DIR}/kelvora2008.rc @ONLY)
configure_file(resources/windows/kelvora2008.manifest.in ${CMAKE_BINARY_DIR}/kelvora2008.manifest @ONLY)
set_target_properties(kelvora2008 PROPERTIES WIN32_EXECUTABLE ON)
target_sources(kelvora2008 PRIVATE ${CMAKE_BINARY_DIR}/kelvora2008.rc)
add_dependencies(kelvora2008 kelvora_artwork kelvora_languages)
set_source_files_properties(${CMAKE_BINARY_DIR}/kelvora2008.rc PROPERTIES
    OBJECT_DEPENDS "${KELVORA_ARTWORK};${CMAKE_BINARY_DIR}/kelvora2008.manifest")
target_include_directories(kelvora2008 PRIVATE ${KELVORA_ARTWORK_DIR} ${CMAKE_BINARY_DIR})
target_compile_options(kelvora2008 PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-municode>)
target_link_options(kelvora2008 PRIVATE -municode)

# The portable zip (kelvora2008.exe and languages/) and the NSIS installer, from one stripped staging folder.
set(KELVORA_STAGE ${CMAKE_BINARY_DIR}/stage)
set(KELVORA_ZIP ${CMAKE_BINARY_DIR}/kelvora2008-${KELVORA_VERSION_TEXT}-portable.zip)
set(KELVORA_SETUP ${CMAKE_BINARY_DIR}/kelvora2008-${KELVORA_VERSION_TEXT}-setup.exe)
add_custom_target(kelvora_zip ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${KELVORA_STAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVORA_STAGE}
    COMMAND ${CMAKE_STRIP} -o ${KELVORA_STAGE}/kelvora2008.exe $<TARGET_FILE:kelvora2008>
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/languages ${KELVORA_STAGE}/languages
    COMMAND ${CMAKE_COMMAND} -E chdir ${KELVORA_STAGE}
            ${CMAKE_COMMAND} -E tar cf ${KELVORA_ZIP} --format=zip kelvora2008.exe languages
    DEPENDS kelvora2008
    BYPRODUCTS ${KELVORA_ZIP}
    COMMENT "Packing the portable zip")
find_program(KELVORA_MAKENSIS makensis)
if(KELVORA_MAKENSIS)
    add_custom_target(kelvora_installer ALL
        COMMAND ${KELVORA_MAKENSIS} -V2 -WX -DSTAGE=${KELVORA_STAGE} -DOUTFILE=${KELVORA_SETUP}
                -DICON=${KELVORA_ARTWORK_DIR}/kelvora.ico
                -DVERSION=${PROJECT_VERSION} -DVERSION_TEXT=${KELVORA_VERSION_TEXT}
                ${CMAKE_SOURCE_DIR}/packaging/windows/kelvora2008.nsi
        DEPENDS kelvora_zip
        BYPRODUCTS ${KELVORA_SETUP}
        COMMENT "Building the installer with NSIS")
else()
    message(WARNING "makensis not found (Debian package nsis, tools/deps): no Windows installer")
endif()

# The program as the installer installs it, end to end under Wine on a virtual X display.
find_program(KELVORA_XVFB Xvfb)
find_program(KELVORA_XDOTOOL xdotool)
# The probe reads the program's controls from another process of the same prefix.
add_executable(kelvora_window_probe tests/e2e/windows/probe/WindowProbe.cpp)
target_compile_options(kelvora_window_probe PRIVATE -municode)
target_link_libraries(kelvora_window_probe PRIVATE kelvora_warnings)
target_link_options(kelvora_window_probe PRIVATE -municode)
target_link_libraries(kelvora_window_probe PRIVATE kelvora_win32_api user32 gdi32)
if(KELVORA_MAKENSIS AND KELVORA_XVFB AND KELVORA_XDOTOOL)
    add_test(NAME windows.e2e.program
        COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/e2e/windows/test_wine_program.py ${KELVORA_SETUP}
                $<TARGET_FILE:kelvora_window_probe>)
    set_tests_properties(windows.e2e.program PROPERTIES TIMEOUT 300 LABELS windows)
endif()
