# What `make install` and the Debian package put on a machine, and the tests of those files.
# The programs find res/ at ../share/mked beside their own directory, wherever the prefix is.
include(GNUInstallDirs)
install(TARGETS qdm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES desktop/qdm.bash RENAME qdm
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages and the package's changelog go out compressed, as Debian policy wants them;
# -n keeps the time stamp out, so the same sources give the same bytes.
set(MKED_GZ_FILES)
function(mked_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9nc ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    set(MKED_GZ_FILES ${MKED_GZ_FILES} ${output} PARENT_SCOPE)
endfunction()
set(MKED_MAN_PAGES qdm)
if(TARGET mked)
    list(APPEND MKED_MAN_PAGES mked)
endif()
foreach(page ${MKED_MAN_PAGES})
    mked_gzip(${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
mked_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/man/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
add_custom_target(compressed_docs ALL DEPENDS ${MKED_GZ_FILES})
install(FILES ${CMAKE_BINARY_DIR}/man/changelog.gz packaging/copyright docs/manual.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/mked.lintian-overrides RENAME mked
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

if(TARGET mked)
    install(TARGETS mked RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(DIRECTORY res/ DESTINATION ${CMAKE_INSTALL_DATADIR}/mked)
    install(FILES desktop/mked.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES desktop/com.example.mked.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES desktop/mked-mime.xml RENAME mked.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
    install(FILES desktop/mked.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 22 24 32 48 64 128 256)
        install(FILES desktop/icons/${size}x${size}/mked.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

add_test(NAME install_layout COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-install ${CMAKE_BINARY_DIR})
# The freedesktop validators and the manual-page checker; scripts/install-deps brings them.
foreach(check desktop_entry appstream_metainfo mime_type man_pages bash_completion)
    add_test(NAME ${check} COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-desktop ${check})
endforeach()

set(CPACK_PACKAGE_NAME mked)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "QDM editor for talking books (mked) and its command-line twin (qdm)")
# Debian wants the lines of the long description under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "mked turns plain-text Chinese books (GBK) into QDM files for
voice e-book players: it cuts a book into numbered sections, marks reader
notes, author notes, translations and emphasis, checks the markup and fixes
the words a speech engine would misread with a polyphone dictionary. qdm,
its command-line twin, applies the same rules to whole folders of books.")
set(CPACK_PACKAGE_CONTACT "mked developers <dev@mked.example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Not found by the library scan: the Chinese faces, Qt's Chinese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")
include(CPack)
