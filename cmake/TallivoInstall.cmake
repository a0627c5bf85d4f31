# The installed form of Tallivo, beside the portable program folder of the build:
#   <prefix>/lib/tallivo/        the program folder: tallivo, tallivo-cli, tallivo-cli-pdf
#                                (which tallivo-cli runs for a PDF), Data/, Report/
#   <prefix>/bin/tallivo[-cli]   links into the program folder (the programs find their
#                                folder through the link's target)
#   <prefix>/share/...           desktop entry, icons, AppStream metainfo
# and the Debian package made from it by CPack.
include(GNUInstallDirs)

# lib/, not the multiarch library folder: the program folder holds programs and data.
set(TALLIVO_PROGRAM_DIR lib/tallivo)

# Pristine table files for the installed program folder: made fresh by the build's tool,
# never the build folder's own, which hold the rows of the runs made from it.
set(TALLIVO_PRISTINE_DATA ${CMAKE_BINARY_DIR}/pristine/Data)
set(TALLIVO_PRISTINE_STAMP ${CMAKE_BINARY_DIR}/pristine.stamp)
add_custom_command(OUTPUT ${TALLIVO_PRISTINE_STAMP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TALLIVO_PRISTINE_DATA}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TALLIVO_PRISTINE_DATA}
    COMMAND tallivo_make_tables ${TALLIVO_PRISTINE_DATA}/
    COMMAND ${CMAKE_COMMAND} -E touch ${TALLIVO_PRISTINE_STAMP}
    DEPENDS tallivo_make_tables ${CMAKE_SOURCE_DIR}/data/tables.sql
    COMMENT "Making the pristine table files")
add_custom_target(pristine_tables ALL DEPENDS ${TALLIVO_PRISTINE_STAMP})

set(TALLIVO_INSTALLED_PROGRAMS tallivo-cli)
if(TALLIVO_BUILD_GUI)
    list(APPEND TALLIVO_INSTALLED_PROGRAMS tallivo)
endif()
install(TARGETS ${TALLIVO_INSTALLED_PROGRAMS} tallivo-cli-pdf RUNTIME DESTINATION ${TALLIVO_PROGRAM_DIR})
install(FILES ${TALLIVO_DATA_FILES} DESTINATION ${TALLIVO_PROGRAM_DIR}/Data)
install(DIRECTORY ${TALLIVO_PRISTINE_DATA}/ DESTINATION ${TALLIVO_PROGRAM_DIR}/Data
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${TALLIVO_REPORT_FILES} DESTINATION ${TALLIVO_PROGRAM_DIR}/Report)
# The machine's settings file /etc/tallivo/Config.ini, which the programs read wherever
# they live: installed with the prefix /usr only (the package, where it is a
# configuration file dpkg keeps across upgrades), never by an install to another prefix.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        file(INSTALL \"${CMAKE_SOURCE_DIR}/data/Config.ini\" DESTINATION \"/etc/tallivo\"
            FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()")
foreach(program ${TALLIVO_INSTALLED_PROGRAMS})
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK \"../${TALLIVO_PROGRAM_DIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
        message(STATUS \"Installing: \${bin}/${program} -> ../${TALLIVO_PROGRAM_DIR}/${program}\")")
endforeach()

if(TALLIVO_BUILD_GUI)
    set(TALLIVO_APP_ID io.tallivo.Tallivo)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TALLIVO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/${TALLIVO_APP_ID}.metainfo.xml
        ${CMAKE_BINARY_DIR}/packaging/${TALLIVO_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${TALLIVO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TALLIVO_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${TALLIVO_APP_ID}.xml)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/tallivo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${TALLIVO_APP_ID}.svg)
    foreach(size 16 22 24 32 48 64 128 256)
        install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/hicolor/${size}x${size}/tallivo.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${TALLIVO_APP_ID}.png)
    endforeach()
endif()

# The package's documents: the copyright file, the compressed changelog Debian asks for
# and the README.
set(TALLIVO_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_command(OUTPUT ${TALLIVO_CHANGELOG_GZ}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog.Debian > ${TALLIVO_CHANGELOG_GZ}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog.Debian)
add_custom_target(package_changelog ALL DEPENDS ${TALLIVO_CHANGELOG_GZ})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${TALLIVO_CHANGELOG_GZ} ${CMAKE_SOURCE_DIR}/README.md
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallivo)

# The Debian package: cpack -G DEB in the build folder (scripts/package.sh).
set(CPACK_PACKAGE_NAME tallivo)
set(CPACK_PACKAGE_VENDOR "Tallivo developers")
set(CPACK_PACKAGE_CONTACT "Tallivo developers <packaging@tallivo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check and seal bulk payment files for the bank")
set(CPACK_PACKAGE_DESCRIPTION "Tallivo checks a bulk payment file completely before it is handed to the
bank and lists every finding; it seals a clean file with a hash value and
packs it into a zip archive, shows a payment summary, prints payment reports
and computes a tier-rate fee report. The package holds the window (tallivo)
and the command-line program (tallivo-cli).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The reports print Thai payee names: without a Thai font they would print as boxes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-tlwg-garuda-ttf | fonts-tlwg-garuda-otf | fonts-thai-tlwg, fonts-dejavu-core")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/etc/tallivo/Config.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# tallivo-cli's man page, made from its --help and --version by help2man once the
# program is built (compressed, as Debian wants it), and its bash completion.
find_program(HELP2MAN_EXECUTABLE help2man)
if(HELP2MAN_EXECUTABLE)
    set(TALLIVO_CLI_MAN ${CMAKE_BINARY_DIR}/man/tallivo-cli.1)
    add_custom_command(OUTPUT ${TALLIVO_CLI_MAN}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${HELP2MAN_EXECUTABLE} --no-info
            --name "check, seal and verify bulk payment files for the bank"
            --include ${CMAKE_SOURCE_DIR}/packaging/installed-files.h2m
            --output ${TALLIVO_CLI_MAN} $<TARGET_FILE:tallivo-cli>
        COMMAND sed -i -f ${CMAKE_SOURCE_DIR}/packaging/man-settings.sed ${TALLIVO_CLI_MAN}
        COMMAND gzip -9nf ${TALLIVO_CLI_MAN}
        DEPENDS tallivo-cli ${CMAKE_SOURCE_DIR}/packaging/installed-files.h2m
            ${CMAKE_SOURCE_DIR}/packaging/man-settings.sed
        COMMENT "Making the man page of tallivo-cli")
    add_custom_target(tallivo_cli_man ALL DEPENDS ${TALLIVO_CLI_MAN}.gz)
    install(FILES ${TALLIVO_CLI_MAN}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    if(TALLIVO_BUILD_GUI)
        # The window's page, from the --help and --version it answers without a display.
        set(TALLIVO_MAN ${CMAKE_BINARY_DIR}/man/tallivo.1)
        add_custom_command(OUTPUT ${TALLIVO_MAN}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${HELP2MAN_EXECUTABLE} --no-info --no-discard-stderr
                --name "check a bulk payment file and seal it for the bank"
                --include ${CMAKE_SOURCE_DIR}/packaging/installed-files.h2m
                --output ${TALLIVO_MAN} $<TARGET_FILE:tallivo>
            COMMAND gzip -9nf ${TALLIVO_MAN}
            DEPENDS tallivo ${CMAKE_SOURCE_DIR}/packaging/installed-files.h2m
            COMMENT "Making the man page of tallivo")
        add_custom_target(tallivo_man ALL DEPENDS ${TALLIVO_MAN}.gz)
        install(FILES ${TALLIVO_MAN}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
else()
    message(WARNING "help2man not found (scripts/install-deps.sh installs it): no man page for tallivo-cli")
endif()
install(FILES ${CMAKE_BINARY_DIR}/bash-completion/tallivo-cli
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
