# packaging.cmake — how Veldrune is installed and packed for Debian.
# Included from the top-level CMakeLists.txt; the build itself does not need it.
#
#   cmake --install build --prefix /usr     installs in Debian's layout for a game
#   (cd build && cpack -G DEB)              makes veldrune_<version>_<arch>.deb
#
# Layout (relative to the prefix):
#   games/veldrune                 the program
#   games/veldrune-launcher        what the desktop entry starts: the program
#                                  in the player's own folder
#   share/applications/            the desktop entry
#   share/icons/hicolor/*/apps/    the icon, 48-256 px and scalable
#   share/metainfo/                the AppStream metadata
#   share/man/man6/                the manual page (both commands)
#   share/doc/veldrune/            README, copyright, changelog
# There is nothing for share/games/veldrune: the pictures are built into the
# program and the fonts come from their own packages.

include(GNUInstallDirs)

set(VELDRUNE_INSTALL_GAMESDIR "games" CACHE PATH "Where the program goes, relative to the prefix")
set(VELDRUNE_MAINTAINER "The Veldrune developers <veldrune@example.org>" CACHE STRING
    "The package's maintainer, name and mail address")
set(VELDRUNE_HOMEPAGE_URL "https://example.org/veldrune" CACHE STRING "The project's home page")
set(VELDRUNE_SCREENSHOT_URL
    "${VELDRUNE_HOMEPAGE_URL}/raw/main/tests/e2e/reference/English_1024x768_main.png"
    CACHE STRING "The address of the screenshot shown by software centres")

set(VELDRUNE_APP_ID org.veldrune.veldrune)
set(VELDRUNE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/veldrune)
set(VELDRUNE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VELDRUNE_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

# Modes are set outright: a package must not depend on the umask of whoever
# built it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(VELDRUNE_FILE_MODE OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(VELDRUNE_PROGRAM_MODE OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# [SECTION] Generated files: metadata and manual page with the version, both gzipped pages

# The version and its day come from project() (CMakeLists.txt). The changelog
# is history and names each version as it was; tests/package/package_test.sh
# checks that its newest entry is this version.
configure_file(${VELDRUNE_PACKAGING_DIR}/${VELDRUNE_APP_ID}.metainfo.xml.in
               ${VELDRUNE_PACKAGING_OUT}/${VELDRUNE_APP_ID}.metainfo.xml @ONLY)
configure_file(${VELDRUNE_PACKAGING_DIR}/veldrune.6.in ${VELDRUNE_PACKAGING_OUT}/veldrune.6 @ONLY)

# gzip -n leaves out the name and time, so the package's files do not change
# from one build to the next.
foreach(page ${VELDRUNE_PACKAGING_OUT}/veldrune.6 ${VELDRUNE_PACKAGING_DIR}/changelog)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${VELDRUNE_PACKAGING_OUT}/${name}.gz
                     COMMAND gzip -9nc ${page} > ${VELDRUNE_PACKAGING_OUT}/${name}.gz
                     DEPENDS ${page} VERBATIM)
endforeach()
add_custom_target(veldrune_packaging_files ALL
                  DEPENDS ${VELDRUNE_PACKAGING_OUT}/veldrune.6.gz ${VELDRUNE_PACKAGING_OUT}/changelog.gz)
# The launcher's manual page is the program's (one page names both).
file(CREATE_LINK veldrune.6.gz ${VELDRUNE_PACKAGING_OUT}/veldrune-launcher.6.gz SYMBOLIC)

# [SECTION] Hardening, as Debian builds its packages

# Fortified libc calls and a read-only GOT (relro is the toolchain's default
# here). Not in sanitizer builds, which bring their own checks, and not
# without optimisation, where fortification does nothing.
if(NOT VELDRUNE_SANITIZE)
  foreach(target veldrune veldrune_game veldrune_sdl veldrune_settings veldrune_png veldrune_files veldrune_formats
                 veldrune_pictures veldrune_frame_record veldrune_input)
    target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endforeach()
  target_link_options(veldrune PRIVATE -Wl,-z,relro,-z,now)
endif()

# [SECTION] Install rules

install(TARGETS veldrune RUNTIME DESTINATION ${VELDRUNE_INSTALL_GAMESDIR} PERMISSIONS ${VELDRUNE_PROGRAM_MODE})
# A stripping install (the package, or cmake --install --strip) also drops the
# .comment and .note sections, as Debian's own packaging does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELDRUNE_INSTALL_GAMESDIR}/veldrune\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(PROGRAMS ${VELDRUNE_PACKAGING_DIR}/veldrune-launcher DESTINATION ${VELDRUNE_INSTALL_GAMESDIR}
        PERMISSIONS ${VELDRUNE_PROGRAM_MODE})
install(FILES ${VELDRUNE_PACKAGING_DIR}/${VELDRUNE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications PERMISSIONS ${VELDRUNE_FILE_MODE})
foreach(size 48 64 128 256)
  install(FILES ${VELDRUNE_PACKAGING_DIR}/icons/veldrune-${size}.png RENAME veldrune.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps PERMISSIONS ${VELDRUNE_FILE_MODE})
endforeach()
install(FILES ${VELDRUNE_PACKAGING_DIR}/icons/veldrune.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps PERMISSIONS ${VELDRUNE_FILE_MODE})
install(FILES ${VELDRUNE_PACKAGING_OUT}/${VELDRUNE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo PERMISSIONS ${VELDRUNE_FILE_MODE})
install(FILES ${VELDRUNE_PACKAGING_OUT}/veldrune.6.gz ${VELDRUNE_PACKAGING_OUT}/veldrune-launcher.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 PERMISSIONS ${VELDRUNE_FILE_MODE})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${VELDRUNE_PACKAGING_DIR}/copyright ${VELDRUNE_PACKAGING_OUT}/changelog.gz
        DESTINATION ${VELDRUNE_DOCDIR} PERMISSIONS ${VELDRUNE_FILE_MODE})

# [SECTION] Debian package

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veldrune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VELDRUNE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "menu of a small 2D fantasy game")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)             # veldrune_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELDRUNE_HOMEPAGE_URL}")
# The extended description (CPack indents it under the summary).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Veldrune is the front end of a small 2D fantasy game: a full-screen menu
with New Game, Load Game, Options, Credits and Quit, an options tree for
key bindings, language, screen size and its own music, and numbered
screenshots.
Every word exists in German and English, switched while it runs. It runs
at 800x600, 1024x768 or 1280x720, full screen or in a window.")
# The libraries come from the binary; the fonts are looked up by name at run
# time (Linux Biolinum for the menu, DejaVu Serif when it is missing), and
# SDL2_mixer is loaded when music is first wanted (platform/sdl/sdl_sound.cpp),
# so the binary does not name it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-linuxlibertine, fonts-dejavu-core, libsdl2-mixer-2.0-0 (>= 2.6.0)")
# Speech goes through speech-dispatcher's client library, loaded only when
# the menu speaks (platform/desktop/speech_service.cpp): recommended, not
# needed, so a machine without it installs and runs the menu silently.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher, libspeechd2")
set(CPACK_STRIP_FILES ON)
# Control files 0644 and scripts 0755, as policy wants, whatever the umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR OFF)
include(CPack)
