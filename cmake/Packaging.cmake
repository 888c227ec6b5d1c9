# Install layout (GNU directories, relocatable: the program finds ../share/kelvora-2008 from its own folder) and the
# Debian package built from it by CPack. tools/package builds the package.
include(GNUInstallDirs)

set(KELVORA_APP_ID com.talvek.Kelvora2008)
set(KELVORA_PACKAGE_NAME kelvora-2008)
set(KELVORA_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging/linux)
set(KELVORA_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/${KELVORA_PACKAGE_NAME})
set(KELVORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${KELVORA_PACKAGE_NAME})

install(TARGETS kelvora2008 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kelvora2008-fetch RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/${KELVORA_PACKAGE_NAME})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/languages/ DESTINATION ${KELVORA_SHARE_DIR}/languages)
# The foreground window under KDE Plasma (a script the program loads into KWin) and GNOME (an extension to enable).
install(DIRECTORY ${KELVORA_PACKAGING_DIR}/kwin/ DESTINATION ${KELVORA_SHARE_DIR}/kwin)
install(DIRECTORY ${KELVORA_PACKAGING_DIR}/gnome-shell/ DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions)
install(FILES ${KELVORA_PACKAGING_DIR}/${KELVORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KELVORA_PACKAGING_DIR}/${KELVORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/images/kelvora-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${KELVORA_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/images/kelvora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${KELVORA_APP_ID}.svg)

# The licence as the package's copyright file: Debian's format, the agreement's text indented below it.
file(STRINGS ${CMAKE_SOURCE_DIR}/languages/English/license.txt license_lines ENCODING UTF-8)
string(CONCAT copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: Kelvora 2008\nUpstream-Contact: Talvek <support@talvek.example>\n\n"
    "Files: *\nCopyright: 2008 Talvek\nLicense: LicenseRef-proprietary\n")
foreach(line IN LISTS license_lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "")
        string(APPEND copyright " .\n")
    else()
        string(APPEND copyright " ${line}\n")
    endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/packaging/copyright "${copyright}")
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright DESTINATION ${KELVORA_DOC_DIR})

# The changelog and the manual page (which shows the project's version) compressed the Debian way (no name or time
# stamp inside, so builds repeat).
configure_file(${KELVORA_PACKAGING_DIR}/kelvora2008.1.in ${CMAKE_BINARY_DIR}/packaging/kelvora2008.1 @ONLY)
foreach(pair "${KELVORA_PACKAGING_DIR}/changelog|${KELVORA_DOC_DIR}|changelog.Debian.gz"
             "${CMAKE_BINARY_DIR}/packaging/kelvora2008.1|${CMAKE_INSTALL_MANDIR}/man1|kelvora2008.1.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 destination)
    list(GET pair 2 compressed)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${compressed}
        COMMAND sh -c "gzip -9nc '${source}' > '${CMAKE_BINARY_DIR}/packaging/${compressed}'"
        DEPENDS ${source} VERBATIM)
    list(APPEND compressed_files ${CMAKE_BINARY_DIR}/packaging/${compressed})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${compressed} DESTINATION ${destination})
endforeach()
add_custom_target(kelvora_packaging_files ALL DEPENDS ${compressed_files})

# PAM reads limits only from /etc/security/limits.d: under the /usr prefix (the package) that is where the entry goes,
# under any other prefix it stays inside the prefix rather than changing the running system.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(limits_dir /etc/security/limits.d)
    else()
        set(limits_dir \"\${CMAKE_INSTALL_PREFIX}/etc/security/limits.d\")
    endif()
    file(INSTALL \"${KELVORA_PACKAGING_DIR}/kelvora-2008-limits.conf\" DESTINATION \"\${limits_dir}\"
         RENAME ${KELVORA_PACKAGE_NAME}.conf)
")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/etc/security/limits.d/${KELVORA_PACKAGE_NAME}.conf\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KELVORA_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Talvek)
set(CPACK_PACKAGE_CONTACT "Talvek <support@talvek.example>")
set(CPACK_PACKAGE_VERSION "${KELVORA_VERSION_TEXT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "memory release and foreground priority for the desktop")
# Lines under 80 characters: the control file shows them as written.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kelvora 2008 keeps a workstation responsive. It releases memory on request,\n"
    "when the free share of physical memory drops below a chosen limit, or on a\n"
    "timer, and it gives the program of the foreground window a higher priority\n"
    "than the user's other programs.\n\n"
    "Members of the group kelvora, which the package creates, may raise\n"
    "priorities up to nice -10.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://talvek.example/en")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin at run time, so dpkg-shlibdeps cannot see it; groupadd comes from passwd.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, passwd")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${KELVORA_PACKAGING_DIR}/postinst ${CMAKE_BINARY_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# Builds the package, extracts it and runs what it holds (needs dpkg-deb, lintian and the validators: tools/deps).
# Packages are made from the ordinary build only.
if(NOT KELVORA_SANITIZE AND NOT KELVORA_FUZZ)
    add_test(NAME package.deb COMMAND ${KELVORA_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/package/test_package.py
             ${CMAKE_BINARY_DIR})
    set_tests_properties(package.deb PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE LABELS "e2e;package")
endif()
