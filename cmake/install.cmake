# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# builds from it. With the prefix /usr:
#   /usr/sbin/vexil                                   the console (an administrator's tool)
#   /usr/share/vexil/Scripts/                         the script library and its benches
#   /usr/share/man/man8/vexil.8.gz, man5/*.5.gz       the manual pages
#   /usr/share/bash-completion/completions/vexil      the bash completion
#   /usr/lib/systemd/system/vexil-health.{service,timer}  health metrics every 15 minutes
include(GNUInstallDirs)

install(TARGETS vexil RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Scripts/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vexil/Scripts)
install(FILES ${CMAKE_SOURCE_DIR}/completions/vexil
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# The health metrics every 15 minutes for node_exporter's textfile collector
# (enabled by the administrator: systemctl enable --now vexil-health.timer).
install(FILES ${CMAKE_SOURCE_DIR}/packaging/systemd/vexil-health.service
              ${CMAKE_SOURCE_DIR}/packaging/systemd/vexil-health.timer
        DESTINATION lib/systemd/system)

# Manual pages go compressed, without a time stamp in the gzip header so that
# two builds give the same package.
find_program(VEXIL_GZIP gzip REQUIRED)
file(GLOB vexil_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/man/*.[1-9])
set(vexil_compressed_pages)
foreach(page ${vexil_pages})
  get_filename_component(name ${page} NAME)
  string(REGEX MATCH "[1-9]$" section ${name})
  set(staged ${CMAKE_BINARY_DIR}/man/${name})
  add_custom_command(OUTPUT ${staged}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${page} ${staged}
                     COMMAND ${VEXIL_GZIP} -9nf ${staged}
                     DEPENDS ${page}
                     COMMENT "Compressing the manual page ${name}"
                     VERBATIM)
  list(APPEND vexil_compressed_pages ${staged}.gz)
  install(FILES ${staged}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(vexil_manpages ALL DEPENDS ${vexil_compressed_pages})

# The package carries the version the console prints in its banner.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/frontend/banners.h vexil_version_line REGEX "version_ = \"[0-9.]+\"")
string(REGEX MATCH "[0-9]+(\\.[0-9]+)*" VEXIL_VERSION "${vexil_version_line}")
if(NOT VEXIL_VERSION)
  message(WARNING "No version found in src/frontend/banners.h; the package is numbered 0")
  set(VEXIL_VERSION 0)
endif()

set(VEXIL_PACKAGE_CONTACT "Vexil developers <vexil@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexil)
set(CPACK_PACKAGE_VERSION ${VEXIL_VERSION})
set(CPACK_PACKAGE_CONTACT ${VEXIL_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "diagnostics and firmware updates for SCSI and SAS tape drives and autoloaders")
set(CPACK_PACKAGE_DESCRIPTION
    "Vexil finds the tape drives and autoloaders attached through the Linux SCSI
generic driver, identifies them, runs diagnostic scripts on them, sends single
commands, updates their firmware and writes firmware upgrade tapes. It comes
with a library of diagnostic scripts and runs on virtual drives for training.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sg3-utils, lsscsi, mt-st")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mtx")
# Depends: the packages of the shared libraries the console links (libc,
# libstdc++, and minizip, which brings zlib), found by dpkg-shlibdeps from
# dpkg-dev; without it, their names on Debian 12.
find_program(VEXIL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VEXIL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, zlib1g, libminizip1")
endif()
include(CPack)
