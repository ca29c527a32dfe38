# What an install puts beside the programs and the help files, and the Debian
# package of the suite: `cmake --build build --target package` (or `cpack -G
# DEB` in the build directory) makes build/zorb_<version>_<arch>.deb.
#
# Files are compressed as Debian installs them, with gzip -9n: best
# compression, and no name or time stamp, so that two builds give the same
# bytes.
find_program(ZORB_GZIP gzip REQUIRED)
set(ZORB_PACKAGE_VERSION ${PROJECT_VERSION})
set(ZORB_MAINTAINER "Zorb maintainers <zorb-maintainers@example.org>"
    CACHE STRING "Maintainer of the Debian package, as: Name <address>")
set(ZORB_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zorb)

# zorb_compressed(SOURCE OUTPUT): OUTPUT is SOURCE after gzip -9n.
function(zorb_compressed source output)
  get_filename_component(dir ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${ZORB_GZIP} -9n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

# The manual pages: man/NAME.1 becomes share/man/man1/NAME.1.gz.
file(GLOB ZORB_MAN_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/man/*.1)
set(ZORB_PACKAGE_FILES "")
foreach(page IN LISTS ZORB_MAN_PAGES)
  get_filename_component(name ${page} NAME)
  zorb_compressed(${page} ${CMAKE_BINARY_DIR}/man/${name}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND ZORB_PACKAGE_FILES ${CMAKE_BINARY_DIR}/man/${name}.gz)
endforeach()

# The copyright file and the changelog, in share/doc/zorb.
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in
               ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
zorb_compressed(${CMAKE_BINARY_DIR}/packaging/changelog
                ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
list(APPEND ZORB_PACKAGE_FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright
              ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${ZORB_DOC_DIR})
add_custom_target(zorb_package_files ALL DEPENDS ${ZORB_PACKAGE_FILES})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorb)
set(CPACK_PACKAGE_VERSION ${ZORB_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZORB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Moessbauer console suite: select, fracfit, sixline, chanconv")
# Debian shows each line of the long description indented by one blank, in at
# most 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Interactive console programs for Moessbauer spectroscopists: absorber
thickness planning (select), relative intensities in a detector window
(fracfit), hyperfine parameters from line positions (sixline) and
count-file conversion (chanconv), with their help files and manual pages.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The run-time libraries (Readline, terminfo, the C++ library) are found from
# the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
