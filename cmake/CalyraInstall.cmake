# Where things go when installed, and the Debian package. Each program installs itself with
# calyra_install_program() next to its add_executable(); shared files are installed here.
include(GNUInstallDirs)

set(CALYRA_APP_ID "org.calyra.Calyra")
set(CALYRA_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "udev rules folder, relative to the prefix")

# Programs find libtamsil.so through RPATH: beside them in the build tree, in ../lib installed.
file(RELATIVE_PATH _calyra_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set(CMAKE_INSTALL_RPATH "$ORIGIN/${_calyra_bin_to_lib}")

# The version for --version, one header for every program.
configure_file(${CMAKE_SOURCE_DIR}/cmake/CalyraVersion.h.in ${CMAKE_BINARY_DIR}/generated/CalyraVersion.h @ONLY)
add_library(calyra_version INTERFACE)
target_include_directories(calyra_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

# calyra_install_program(<target> [MAN <page.1>]): the program into bin/ and its manual page,
# compressed as Debian keeps them, into share/man/man1.
function(calyra_install_program target)
  cmake_parse_arguments(ARG "" "MAN" "" ${ARGN})
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(ARG_MAN)
    get_filename_component(page ${ARG_MAN} NAME)
    set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${gz}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND gzip -9nc ${ARG_MAN} > ${gz}
      DEPENDS ${ARG_MAN} VERBATIM)
    add_custom_target(${target}_man ALL DEPENDS ${gz})
    install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endfunction()

set(_pk ${CMAKE_SOURCE_DIR}/packaging)
install(FILES LICENSE CHANGELOG.md README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/calyra)
install(FILES ${_pk}/udev/70-calyra.rules DESTINATION ${CALYRA_UDEV_RULES_DIR})
# The port doctor names the rules file: in the build tree the copy beside the programs.
configure_file(${_pk}/udev/70-calyra.rules ${CMAKE_BINARY_DIR}/bin/udev/70-calyra.rules COPYONLY)
if(CALYRA_GUI)
  install(FILES ${_pk}/${CALYRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_pk}/${CALYRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${_pk}/icons/calyra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${CALYRA_APP_ID}.svg)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${_pk}/icons/calyra-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${CALYRA_APP_ID}.png)
  endforeach()
endif()

# cpack -G DEB: one package; its dependencies come from dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME calyra)
set(CPACK_PACKAGE_VENDOR "Calyra developers")
set(CPACK_PACKAGE_CONTACT "Calyra developers <calyra@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for ZigBee radio modules on a serial port")
set(CPACK_PACKAGE_DESCRIPTION "Reads, edits and writes the parameters of a ZigBee module on a serial
 port and of the remote modules of its network, exports and imports parameter sets, sends
 free-form commands and downloads firmware. Includes the frame library libtamsil and the module
 simulator calyra-sim.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The Qt platform plugins are loaded at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://calyra.invalid/")
include(CPack)
