# Windows executables carry their runtime so they need only system DLLs.
if(WIN32)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(WIN32 AND CMAKE_CROSSCOMPILING)
    # Tests run under Wine with one prefix inside the build tree.
    set(ARDENTIS_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
    configure_file(${PROJECT_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
