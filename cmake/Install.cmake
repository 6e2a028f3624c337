# Installing the program as a desktop program, and the Debian package made
# from the same install step: `cmake --install build [--prefix DIR]`,
# `cpack -G DEB` in the build folder.
include(GNUInstallDirs)

set(VEXLO_APP_ID org.example.vexloed)
set(VEXLO_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/desktop)

install(TARGETS vexloed RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VEXLO_DESKTOP_DIR}/vexloed.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VEXLO_DESKTOP_DIR}/${VEXLO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${VEXLO_DESKTOP_DIR}/icons/${size}/vexloed.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${VEXLO_DESKTOP_DIR}/icons/vexloed.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page, compressed as Debian keeps them (-n: the same bytes every build).
add_custom_command(OUTPUT vexloed.1.gz
  COMMAND gzip -9n -c ${VEXLO_DESKTOP_DIR}/vexloed.1 > vexloed.1.gz
  DEPENDS ${VEXLO_DESKTOP_DIR}/vexloed.1)
add_custom_target(manpage ALL DEPENDS vexloed.1.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vexloed.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The licence and the history where Debian keeps them, the history
# compressed (-n: the same bytes every build).
set(VEXLO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vexloed)
configure_file(${VEXLO_DESKTOP_DIR}/changelog.in changelog.txt @ONLY)
add_custom_command(OUTPUT changelog.gz
  COMMAND gzip -9n -c ${CMAKE_CURRENT_BINARY_DIR}/changelog.txt > changelog.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.txt)
add_custom_target(changelog_gz ALL DEPENDS changelog.gz)
install(FILES ${VEXLO_DESKTOP_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${VEXLO_DOC_DIR})

# Debian's hardening flags for the packaged code: stack protector, checked
# string and memory functions, read-only relocations. Symbols are bound as
# first used: binding all of Qt's at start made start-up 4 ms slower. Not in
# the sanitizer build, whose checks they would get in the way of.
find_program(VEXLO_DPKG_BUILDFLAGS dpkg-buildflags)
if(VEXLO_DPKG_BUILDFLAGS AND NOT VEXLO_SANITIZE)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all,-bindnow reproducible=-all"
              ${VEXLO_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    if(kind STREQUAL "LDFLAGS")
      target_link_options(vexloed PRIVATE ${flags})
    else()
      target_compile_options(vexlocore PRIVATE ${flags})
      target_compile_options(vexlowidgets PRIVATE ${flags})
      target_compile_options(vexloed PRIVATE ${flags})
    endif()
  endforeach()
endif()

# An installed copy knows itself by its desktop entry, found from the
# program's folder; it then keeps its settings in the user's configuration
# folder. The path is relative so that any prefix works.
file(RELATIVE_PATH VEXLO_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_DATADIR})
target_compile_definitions(vexlocore PRIVATE
  VEXLO_INSTALLED_MARKER="${VEXLO_BIN_TO_DATA}/applications/vexloed.desktop")

# The Debian package.
set(CPACK_PACKAGE_NAME vexloed)
set(CPACK_PACKAGE_VENDOR "Karst")
set(CPACK_PACKAGE_CONTACT "Karst <karst@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "character counter for guest-book entries and forum posts")
# Lines of at most 80 characters, as Debian's tools show them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vexlo-Ed is a small text editor for guest-book entries and forum posts.\n"
  "It counts the characters live and lights a red indicator when the text\n"
  "reaches the guest-book limit (2000) or the forum limit (3000).\n"
  "The program speaks German.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://vexloed.example.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from the built program; what it needs at run time beside them:
# the X11 platform plugin, Arial's metric twin, Qt's German texts, the opener
# of links, the German dictionary of the spell check.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# hunspell is opened at run time, so the package tools do not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-liberation2, qt6-translations-l10n, xdg-utils, hunspell-de-de, libhunspell-1.7-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
include(CPack)
