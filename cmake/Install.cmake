# What `cmake --install` puts under the prefix, and the Debian package made of it
# (`cpack -G DEB` in the build tree). The installed programs need nothing from the build tree.

# Manual pages: the version filled in, compressed as Debian wants them.
set(KORVANE_MAN_PAGES korvane-cli)
if(TARGET korvane)
  list(APPEND KORVANE_MAN_PAGES korvane)
endif()
set(KORVANE_MAN_FILES "")
foreach(page ${KORVANE_MAN_PAGES})
  set(page_file ${KORVANE_GENERATED_DIR}/man/${page}.1)
  configure_file(man/${page}.1 ${page_file} @ONLY)
  add_custom_command(OUTPUT ${page_file}.gz COMMAND gzip -9nkf ${page_file}
                     DEPENDS ${page_file} VERBATIM)
  list(APPEND KORVANE_MAN_FILES ${page_file}.gz)
endforeach()
add_custom_target(korvane_man_pages ALL DEPENDS ${KORVANE_MAN_FILES})

install(TARGETS korvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KORVANE_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/korvane-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME korvane-cli)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/examples)
install(FILES packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane)
if(TARGET korvane-cli-draw)
  install(TARGETS korvane-cli-draw RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/korvane)
endif()

if(TARGET korvane)
  install(TARGETS korvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  configure_file(data/korvane.desktop.in ${KORVANE_GENERATED_DIR}/${KORVANE_APP_ID}.desktop @ONLY)
  install(FILES ${KORVANE_GENERATED_DIR}/${KORVANE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/korvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME korvane.xml)

  # The icon files are drawn at build time by the code that draws the program's own icon.
  add_executable(korvane-icon-files tools/icons/IconFiles.cpp)
  target_link_libraries(korvane-icon-files PRIVATE korvane_gui Qt6::Svg)
  set_target_properties(korvane-icon-files PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                      ${CMAKE_BINARY_DIR}/tools)
  set(icon_dir ${KORVANE_GENERATED_DIR}/icons)
  set(icon_files ${icon_dir}/scalable/${KORVANE_APP_ID}.svg)
  set(icon_sizes 16 22 24 32 48 64 128 256)
  foreach(side ${icon_sizes})
    list(APPEND icon_files ${icon_dir}/${side}x${side}/${KORVANE_APP_ID}.png)
  endforeach()
  # A sanitizer build would report Qt's allocations at exit as leaks of this helper.
  add_custom_command(OUTPUT ${icon_files}
                     COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                             $<TARGET_FILE:korvane-icon-files> ${icon_dir} ${KORVANE_APP_ID}
                     DEPENDS korvane-icon-files VERBATIM)
  add_custom_target(korvane_icon_files ALL DEPENDS ${icon_files})
  foreach(folder scalable ${icon_sizes})
    if(NOT folder STREQUAL "scalable")
      set(folder ${folder}x${folder})
    endif()
    install(DIRECTORY ${icon_dir}/${folder}/
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${folder}/apps)
  endforeach()
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR "The Korvane developers")
set(CPACK_PACKAGE_CONTACT "The Korvane developers <korvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "shear-wave velocities from seismic cone penetration tests")
# Lines as they appear in the package's description.
set(CPACK_PACKAGE_DESCRIPTION
    "Korvane turns the recordings of a seismic cone penetration test (SCPT), one
wave file per test depth, into interval shear-wave velocities (Vs): it
band-filters and orders the records, finds the arrival-time lag between
successive depths by normalised cross-correlation and computes the velocity
over the slant paths from the hammer, with the coefficient of determination
of each interval.

The package holds the desktop program (korvane), which shows the waves and
the velocity profile and lets the analysis windows be set with the mouse,
and the batch command line (korvane-cli), which processes, inspects and
plots soundings without a display. An example sounding is in
/usr/share/korvane/examples.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# A source tarball (cpack --config CPackSourceConfig.cmake) builds without git: the version then
# carries no commit.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/\\\\.git$" "/build[^/]*/" "/\\\\.cache/" "\\\\.swp$")
include(CPack)
