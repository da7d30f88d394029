# Installation of Quilvet, in four components that packages are made from:
#   libquilvet1              the shared library (with its SONAME link) and the toolbox image
#   libquilvet-dev           the public headers, the development link and the CMake package
#   quilvet-designer-plugin  the Qt Designer plugin, in Qt's designer plugin folder
#   quilvet-host             the host program (installed by tools/quilvet-host)
include(CMakePackageConfigHelpers)

set(QUILVET_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quilvet)

install(TARGETS Quilvet EXPORT QuilvetTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libquilvet1 NAMELINK_COMPONENT libquilvet-dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
)
install(DIRECTORY include/quilvet ${QUILVET_GENERATED_INCLUDE}/quilvet
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT libquilvet-dev
)
install(FILES resources/toolbox-30000.bmp
    DESTINATION ${CMAKE_INSTALL_DATADIR}/quilvet COMPONENT libquilvet1
)
install(EXPORT QuilvetTargets NAMESPACE Quilvet:: DESTINATION ${QUILVET_CMAKE_DIR} COMPONENT libquilvet-dev)

configure_package_config_file(cmake/QuilvetConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/QuilvetConfig.cmake
    INSTALL_DESTINATION ${QUILVET_CMAKE_DIR}
)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuilvetConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion
)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuilvetConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/QuilvetConfigVersion.cmake
    DESTINATION ${QUILVET_CMAKE_DIR} COMPONENT libquilvet-dev
)

if(TARGET QuilvetDesignerPlugin)
    # Qt's own plugin folder below the prefix (lib/<arch>/qt6/plugins on Debian).
    set(QUILVET_DESIGNER_PLUGIN_DIR "${QT6_INSTALL_PLUGINS}/designer" CACHE STRING
        "Where the Qt Designer plugin is installed, relative to the prefix")
    # The plugin finds the library relative to itself, wherever the prefix is.
    file(RELATIVE_PATH plugin_to_library /prefix/${QUILVET_DESIGNER_PLUGIN_DIR} /prefix/${CMAKE_INSTALL_LIBDIR})
    set_target_properties(QuilvetDesignerPlugin PROPERTIES INSTALL_RPATH "$ORIGIN/${plugin_to_library}")
    install(TARGETS QuilvetDesignerPlugin
        LIBRARY DESTINATION ${QUILVET_DESIGNER_PLUGIN_DIR} COMPONENT quilvet-designer-plugin
    )
endif()
