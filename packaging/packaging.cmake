# Installing Vistara as a desktop program, and its Debian package (`make package`).
include(GNUInstallDirs)

set(VISTARA_APP_ID example.vistara.Vistara)
set(VISTARA_HOMEPAGE "https://vistara.example" CACHE STRING
    "Public address of the project; the package metadata points at its screenshot there")
set(VISTARA_ICON_SIZES 16 32 48)

set(_pkg ${CMAKE_CURRENT_LIST_DIR})
set(_pkg_out ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS vistara RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_pkg}/${VISTARA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_pkg}/${VISTARA_APP_ID}.metainfo.xml.in
               ${_pkg_out}/${VISTARA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_pkg_out}/${VISTARA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The licence in the form Debian reads, where every package keeps it.
configure_file(${_pkg}/copyright.in ${_pkg_out}/copyright @ONLY)
install(FILES ${_pkg_out}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The theme's bitmaps come from the window icon's own drawing at build time.
add_executable(vistara_render_icons ${_pkg}/render-icons.cpp ${PROJECT_SOURCE_DIR}/src/app/icon.cpp)
target_include_directories(vistara_render_icons PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(vistara_render_icons PRIVATE Qt6::Gui)
set(_icon_files)
foreach(size IN LISTS VISTARA_ICON_SIZES)
  list(APPEND _icon_files ${_pkg_out}/icons/${size}x${size}.png)
endforeach()
# In a sanitized build, a leak report at the tool's exit must not fail the drawing.
add_custom_command(
  OUTPUT ${_icon_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:vistara_render_icons> ${_pkg_out}/icons
          ${VISTARA_ICON_SIZES}
  DEPENDS vistara_render_icons ${PROJECT_SOURCE_DIR}/src/app/icon.cpp
  COMMENT "Drawing the menu icons")
add_custom_target(vistara_icons ALL DEPENDS ${_icon_files})
foreach(size IN LISTS VISTARA_ICON_SIZES)
  install(FILES ${_pkg_out}/icons/${size}x${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VISTARA_APP_ID}.png)
endforeach()
install(FILES ${_pkg}/${VISTARA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The Debian package. Shared libraries are found by dpkg-shlibdeps; what the program
# loads at run time by other means is named here: the sound font MIDI plays with, and
# the Qt plugins that draw the window and read JPEG, GIF, ICO and friends.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistara)
set(CPACK_PACKAGE_VENDOR "Equipe Vistara")
set(CPACK_PACKAGE_CONTACT "Equipe Vistara <equipe@vistara.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "find the photos, sounds, music and films on a computer and view them")
# Lines kept short for package managers that show the text as it is.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Vistara walks a folder tree, lists every photo, sound, song or film it"
  "finds with its size and keeps a running total, all in one window."
  "Photos are fitted into the picture area, stepped by hand, run as a"
  "slideshow or shown over the whole window; films, sound and MIDI music"
  "play one after the other in the embedded player.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vistara)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VISTARA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, qt6-qpa-plugins, qt6-image-formats-plugins, fonts-liberation2, fonts-crosextra-carlito, fonts-crosextra-caladea, fonts-opensymbol")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
