# `make package`: a Debian package of the lobby server, run as a systemd service.
install(TARGETS ardentis-server RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ardentis-server.conf
        DESTINATION /etc/ardentis-server)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ardentis-server.service
        DESTINATION /lib/systemd/system)

# Debian wants its man pages gzipped, without a time stamp that changes every build.
set(ARDENTIS_MAN_PAGE ${CMAKE_BINARY_DIR}/packaging/ardentis-server.1.gz)
add_custom_command(
    OUTPUT ${ARDENTIS_MAN_PAGE}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/ardentis-server.1 > ${ARDENTIS_MAN_PAGE}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/ardentis-server.1
    VERBATIM)
add_custom_target(ardentis-server-man ALL DEPENDS ${ARDENTIS_MAN_PAGE})
install(FILES ${ARDENTIS_MAN_PAGE} DESTINATION share/man/man1)

# An edited config file survives upgrades.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/etc/ardentis-server/ardentis-server.conf\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ardentis-server)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "lobby server for Total Annihilation and Supreme Commander players")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ardentis developers")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libgcc-s1, libsqlite3-0, libsodium23, libssl3")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
