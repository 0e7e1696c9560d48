# Where `cmake --install` puts the engine, and the packages that tools/package makes.
#
# On Debian the engine goes where chess programs live: the program in games/, its manual
# page in section 6, and a plugin file that xboard reads at start-up to list it among its
# engines. xboard takes the protocol from the plugin file's folder: an engine in uci/ is
# started through its UCI adapter (polyglot), one in xboard/ is spoken to directly.
#
# The Windows build installs quorvik.exe, the README as README.txt and the licence as
# LICENSE.txt side by side: that is the content of the zip.

if(WIN32)
  install(TARGETS quorvik RUNTIME DESTINATION .)
  configure_file(README.md README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION .)
else()
  install(TARGETS quorvik RUNTIME DESTINATION games)

  # The manual page carries the project's version; Debian installs manual pages
  # compressed, without a name or date in the gzip header.
  configure_file(doc/quorvik.6 quorvik.6 @ONLY)
  add_custom_command(OUTPUT quorvik.6.gz
                     COMMAND gzip -9nkf quorvik.6
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quorvik.6
                     COMMENT "Compressing the manual page")
  add_custom_target(page_de_manuel ALL DEPENDS quorvik.6.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quorvik.6.gz DESTINATION share/man/man6)

  # xboard registers, when it starts, the plugin files that are newer than the user's saved
  # settings: the file is dated from its installation, not from the source tree's checkout
  # (the Debian package does the same in its postinst).
  install(FILES doc/quorvik.eng DESTINATION share/games/plugins/uci)
  install(CODE "file(TOUCH \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/games/plugins/uci/quorvik.eng\")")
  install(FILES README.md DESTINATION share/doc/quorvik)
  # The licence as Debian states it, in its machine-readable copyright format.
  install(FILES doc/copyright DESTINATION share/doc/quorvik)
endif()

set(CPACK_PACKAGE_NAME quorvik)
set(CPACK_PACKAGE_VENDOR Dremmond)
set(QUORVIK_MAINTAINER "Dremmond <dremmond@quorvik.invalid>"
    CACHE STRING "The maintainer named in the Debian package")
set(CPACK_PACKAGE_CONTACT "${QUORVIK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small chess engine for the UCI protocol")
# The long description as Debian shows it: lines under 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Quorvik plays standard chess with a fixed-depth alpha-beta search. A chess\n"
       "interface starts it and talks to it over standard input and output with the\n"
       "UCI protocol; xboard lists it among its engines and runs it through polyglot.")
set(CPACK_STRIP_FILES ON)
# Folders of the packages open to everyone whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quorvik-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # dpkg-shlibdeps names the C and C++ run-time libraries the program is linked with.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xboard, polyglot")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/postinst)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
