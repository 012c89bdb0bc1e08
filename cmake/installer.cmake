# `make dist`: Ardentis.exe as a Windows installer (NSIS, packaging/windows/) and as a
# portable zip, both named after the project version, in the Windows tree's dist/.
if(NOT WIN32)
    return()
endif()

find_program(ARDENTIS_MAKENSIS makensis)
set(ARDENTIS_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(ARDENTIS_NSIS_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/windows/ardentis.nsi)
set(ARDENTIS_SETUP ${ARDENTIS_DIST_DIR}/Ardentis-${PROJECT_VERSION}-setup.exe)
set(ARDENTIS_PORTABLE_ZIP ${ARDENTIS_DIST_DIR}/Ardentis-${PROJECT_VERSION}-portable.zip)

# What ships, laid out as the client runs: the exe without its debugging information (a
# tenth of the size) and the mods table beside it.
set(ARDENTIS_DIST_STAGE ${ARDENTIS_DIST_DIR}/Ardentis)
set(staged ${ARDENTIS_DIST_STAGE}/Ardentis.exe ${ARDENTIS_DIST_STAGE}/mods.txt)
add_custom_command(OUTPUT ${staged}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ARDENTIS_DIST_STAGE}
    COMMAND ${CMAKE_STRIP} -o ${ARDENTIS_DIST_STAGE}/Ardentis.exe $<TARGET_FILE:Ardentis>
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/windows/mods.txt
        ${ARDENTIS_DIST_STAGE}/mods.txt
    DEPENDS Ardentis ${PROJECT_SOURCE_DIR}/packaging/windows/mods.txt
    VERBATIM)

add_custom_command(OUTPUT ${ARDENTIS_PORTABLE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${ARDENTIS_PORTABLE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${ARDENTIS_PORTABLE_ZIP} --format=zip Ardentis
    WORKING_DIRECTORY ${ARDENTIS_DIST_DIR}
    DEPENDS ${staged}
    VERBATIM)

if(ARDENTIS_MAKENSIS)
    add_custom_command(OUTPUT ${ARDENTIS_SETUP}
        COMMAND ${ARDENTIS_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
            -DEXE=${ARDENTIS_DIST_STAGE}/Ardentis.exe -DMODS=${ARDENTIS_DIST_STAGE}/mods.txt
            -DOUTFILE=${ARDENTIS_SETUP} -DICON=${CMAKE_BINARY_DIR}/app/res/ardentis.ico
            ${ARDENTIS_NSIS_SCRIPT}
        # The icon is drawn before the exe that carries it is linked.
        DEPENDS ${staged} ${ARDENTIS_NSIS_SCRIPT}
        VERBATIM)
else()
    add_custom_command(OUTPUT ${ARDENTIS_SETUP}
        COMMAND ${CMAKE_COMMAND} -E echo "dist: makensis is missing; scripts/install-deps installs nsis"
        COMMAND ${CMAKE_COMMAND} -E false
        VERBATIM)
endif()
add_custom_target(dist DEPENDS ${ARDENTIS_SETUP} ${ARDENTIS_PORTABLE_ZIP})
