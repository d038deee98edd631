# Where `cmake --install` puts the programs, and the .deb CPack makes of them.
# Some targets come from rooms that may not be in the tree yet; each is
# installed only when it exists.
include(GNUInstallDirs)

# Our phone library is the programs' own, not one for others to link
# against: it goes to lib/linkwell/, out of the loader's search path, and the
# programs find it through their run path wherever the tree is installed.
set(LINKWELL_PRIVATE_LIBDIR lib/linkwell)

foreach(_lw_program linkwell linkwell-cli linkwell-phonesim)
  if(TARGET ${_lw_program})
    set_target_properties(${_lw_program} PROPERTIES
      INSTALL_RPATH "$ORIGIN/../${LINKWELL_PRIVATE_LIBDIR}")
    install(TARGETS ${_lw_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET gbp)
  # libgbp.so.1 and the file it points to; no development link, since
  # nothing outside the package builds against it.
  install(TARGETS gbp
    LIBRARY DESTINATION ${LINKWELL_PRIVATE_LIBDIR} NAMELINK_SKIP
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The desktop's menu entry and its icon.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linkwell.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/ui/resources/linkwell.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linkwell)
set(CPACK_PACKAGE_VENDOR "Linkwell")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "WAP favourites of a Sony CMD-J6 phone: window, command line and emulator")
set(CPACK_PACKAGE_CONTACT "Linkwell developers <linkwell@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
# No ldconfig trigger: the library sits outside the loader's cache.
# Debian's own Qt 6, named rather than worked out by dpkg-shlibdeps, so the
# package builds on a machine that has only the build tools of scripts/.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), qt6-qpa-plugins, libfontconfig1, libicu72, libgumbo1 (>= 0.10)")
include(CPack)
