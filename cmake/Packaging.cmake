# Installation and Debian packages, one package per install component:
#   brevane                  Brevane and brevane-provision in the hall product's folder
#   libquilvet1              the Quilvet library with its SONAME
#   libquilvet-dev           Quilvet's public headers and CMake package
#   quilvet-designer-plugin  the Qt Designer plugin for clsQuilvet
#   quilvet-host             the example host program
#   sqlserver-standin        the SQL Server stand-in, a test server
# Included at the end of the top CMakeLists.txt, after every subdirectory, so that
# it sees every target and every install rule the subdirectories define.
#
#   cmake --build --preset release && cpack --config build/release/CPackConfig.cmake
include(GNUInstallDirs)

# Brevane reads DB/rivazadUZ.Bak beside its folder and writes Connect.sys in the
# folder above its own, so it lives in a folder of the hall product, not in bin/.
# With a system prefix (/usr, /usr/local) that folder is HALL_PRODUCT_DIR itself;
# with any other prefix it is the same path inside the prefix, so that
# `cmake --install --prefix DIR` never writes outside DIR.
set(HALL_PRODUCT_DIR "/opt/snooker-hall" CACHE PATH
    "Folder of the snooker hall product; Brevane is installed in its Brevane/ subfolder")
set(HALL_BREVANE_DIR "${HALL_PRODUCT_DIR}/Brevane")
set(HALL_PACKAGE_MAINTAINER "Snooker Hall Installation Tools <maintainers@snooker-hall.example>"
    CACHE STRING "Maintainer field of the Debian packages")

set(HALL_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(HALL_PACKAGING_BINARY_DIR ${PROJECT_BINARY_DIR}/packaging)

# Components whose install rules other parts of the tree define (Quilvet's).
get_cmake_property(hall_foreign_components COMPONENTS)

# Every package carries the Debian copyright file and a compressed changelog.
configure_file(${HALL_PACKAGING_DIR}/changelog.in ${HALL_PACKAGING_BINARY_DIR}/changelog @ONLY)
add_custom_command(
    OUTPUT ${HALL_PACKAGING_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nc ${HALL_PACKAGING_BINARY_DIR}/changelog > ${HALL_PACKAGING_BINARY_DIR}/changelog.gz
    DEPENDS ${HALL_PACKAGING_BINARY_DIR}/changelog
    VERBATIM)
add_custom_target(hall_package_docs ALL DEPENDS ${HALL_PACKAGING_BINARY_DIR}/changelog.gz)

# Manual pages go in compressed (gzip -9n), as Debian expects.
function(hall_install_manpage page component)
    set(out ${HALL_PACKAGING_BINARY_DIR}/man/${page}.gz)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${HALL_PACKAGING_BINARY_DIR}/man
        COMMAND gzip -9nc ${HALL_PACKAGING_DIR}/man/${page} > ${out}
        DEPENDS ${HALL_PACKAGING_DIR}/man/${page}
        VERBATIM)
    add_custom_target(hall_manpage_${page} ALL DEPENDS ${out})
    string(REGEX MATCH "[0-9]$" section ${page})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
endfunction()

# Manual pages of the command-line programs, made by help2man from their --help
# so that they never drift from it: the usage, the options, and the exit codes
# as EXIT STATUS (packaging/man/from-help.sed). packaging/man/<target>.h2m adds
# what --help does not say (files, environment); <target>.sed, where present,
# fits that program's help to the page's sections.
find_program(HALL_HELP2MAN help2man)
function(hall_install_help_manpage target summary component)
    if(NOT HALL_HELP2MAN)
        message(STATUS "help2man not found: no manual page for ${target}")
        return()
    endif()
    set(dir ${HALL_PACKAGING_BINARY_DIR}/man)
    set(out ${dir}/${target}.1.gz)
    set(sed_scripts -f ${HALL_PACKAGING_DIR}/man/from-help.sed)
    if(EXISTS ${HALL_PACKAGING_DIR}/man/${target}.sed)
        list(APPEND sed_scripts -f ${HALL_PACKAGING_DIR}/man/${target}.sed)
    endif()
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8
            ${HALL_HELP2MAN} --no-info --section=1 --version-string=${PROJECT_VERSION}
            --name=${summary} --include=${HALL_PACKAGING_DIR}/man/${target}.h2m
            --output=${dir}/${target}.help2man $<TARGET_FILE:${target}>
        COMMAND sed ${sed_scripts} ${dir}/${target}.help2man > ${dir}/${target}.1
        COMMAND gzip -9nc ${dir}/${target}.1 > ${out}
        DEPENDS ${target} ${HALL_PACKAGING_DIR}/man/${target}.h2m ${HALL_PACKAGING_DIR}/man/from-help.sed
        VERBATIM)
    add_custom_target(hall_manpage_${target} ALL DEPENDS ${out})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

# Where the product's folder goes is decided at install time, when the prefix is
# known: HALL_INSTALLED_PRODUCT_DIR (absolute, without DESTDIR) and
# HALL_PRODUCT_DIR_FROM_PREFIX (the same, relative to the prefix) for the rules below.
function(hall_install_product_dir component)
    install(CODE "
        if(CMAKE_INSTALL_PREFIX MATCHES \"^/usr(/local)?/*$\")
            set(HALL_INSTALLED_PRODUCT_DIR \"${HALL_PRODUCT_DIR}\")
        else()
            set(HALL_INSTALLED_PRODUCT_DIR \"\${CMAKE_INSTALL_PREFIX}${HALL_PRODUCT_DIR}\")
        endif()
        file(RELATIVE_PATH HALL_PRODUCT_DIR_FROM_PREFIX \"\${CMAKE_INSTALL_PREFIX}\" \"\${HALL_INSTALLED_PRODUCT_DIR}\")"
        COMPONENT ${component})
endfunction()

# A program in the product's folder, and its command on the PATH: a symbolic link
# to it. The programs find their folder through the real path of the executable,
# so the link leaves DB/ and Connect.sys where they expect them.
function(hall_install_product_program target command component)
    install(TARGETS ${target} RUNTIME DESTINATION "\${HALL_PRODUCT_DIR_FROM_PREFIX}/Brevane" COMPONENT ${component})
    set(link "${CMAKE_INSTALL_BINDIR}/${command}")
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\")
        get_filename_component(dir \"\${link}\" DIRECTORY)
        file(MAKE_DIRECTORY \"\${dir}\")
        file(CREATE_LINK \"\${HALL_INSTALLED_PRODUCT_DIR}/Brevane/$<TARGET_FILE_NAME:${target}>\" \"\${link}\" SYMBOLIC)
        message(STATUS \"Installing: \${link} -> \${HALL_INSTALLED_PRODUCT_DIR}/Brevane/$<TARGET_FILE_NAME:${target}>\")
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${link}\")"
        COMPONENT ${component})
endfunction()

function(hall_install_package_docs component)
    set(docdir ${CMAKE_INSTALL_DATADIR}/doc/${component})
    install(FILES ${HALL_PACKAGING_DIR}/copyright DESTINATION ${docdir} COMPONENT ${component})
    install(FILES ${HALL_PACKAGING_BINARY_DIR}/changelog.gz DESTINATION ${docdir} COMPONENT ${component})
endfunction()

function(hall_install_lintian_overrides component)
    install(FILES ${HALL_PACKAGING_DIR}/lintian/${component}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${component})
endfunction()

# --- brevane -------------------------------------------------------------------
set(hall_packages)
if(TARGET Brevane)
    hall_install_product_dir(brevane)
    hall_install_product_program(Brevane brevane brevane)
    hall_install_manpage(brevane.1 brevane)
    if(TARGET brevane-provision)
        hall_install_product_program(brevane-provision brevane-provision brevane)
        hall_install_help_manpage(brevane-provision
            "creates the snooker hall product's database on SQL Server without a window" brevane)
    endif()
    install(FILES ${HALL_PACKAGING_DIR}/brevane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT brevane)
    install(FILES ${HALL_PACKAGING_DIR}/brevane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT brevane)
    hall_install_package_docs(brevane)
    hall_install_lintian_overrides(brevane)
    list(APPEND hall_packages brevane)
endif()

# --- sqlserver-standin ------------------------------------------------------------
install(TARGETS sqlserver-standin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sqlserver-standin)
install(FILES ${HALL_PACKAGING_DIR}/sqlserver-standin/README.md
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sqlserver-standin COMPONENT sqlserver-standin)
hall_install_help_manpage(sqlserver-standin
    "test server answering the statements of the snooker hall tools" sqlserver-standin)
hall_install_package_docs(sqlserver-standin)
list(APPEND hall_packages sqlserver-standin)

# --- Quilvet: the install rules live with the library; here only what Debian adds --
foreach(component libquilvet1 libquilvet-dev quilvet-designer-plugin quilvet-host)
    if(component IN_LIST hall_foreign_components)
        hall_install_package_docs(${component})
        if(EXISTS ${HALL_PACKAGING_DIR}/lintian/${component})
            hall_install_lintian_overrides(${component})
        endif()
        list(APPEND hall_packages ${component})
    endif()
endforeach()
if("quilvet-host" IN_LIST hall_packages)
    hall_install_help_manpage(quilvet-host
        "example host program for the Quilvet time-slot pricing control" quilvet-host)
endif()

# --- CPack -----------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snooker-hall-tools)
set(CPACK_PACKAGE_VENDOR "Snooker Hall Installation Tools")
set(CPACK_PACKAGE_CONTACT "${HALL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The package root is DESTDIR and the prefix /usr, so Brevane's folder lands at
# HALL_PRODUCT_DIR inside the package.
set(CPACK_SET_DESTDIR ON)
# Debug information goes into -dbgsym packages (.ddeb), the programs and the
# library are stripped of it (and of unneeded symbols) in their own packages.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_COMPONENTS_ALL ${hall_packages})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HALL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file for every library with a SONAME (libQuilvet.so.1), so that packages
# built against it get their dependency from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Designer plugin needs libQuilvet.so.1 from this build; its package depends on
# libquilvet1 through the component dependency below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# Descriptions: the first line is the synopsis, the rest the extended description
# (lines of at most 80 characters; an empty line separates paragraphs).
set(hall_provision_paragraph "")
set(hall_brevane_programs "The program lives")
set(hall_brevane_commands "The command brevane starts it")
if(TARGET brevane-provision)
    set(hall_provision_paragraph
        "\nbrevane-provision does the same run without a window, for scripted installs.\n")
    set(hall_brevane_programs "The programs live")
    set(hall_brevane_commands "The commands brevane and brevane-provision start them")
endif()
set(CPACK_DEBIAN_BREVANE_PACKAGE_NAME brevane)
set(CPACK_DEBIAN_BREVANE_PACKAGE_SECTION database)
# Qt's translations speak Qt's own texts (message boxes, file dialogs) in the
# user's language; the SVG plugins draw the window's icon from the hicolor theme.
set(CPACK_DEBIAN_BREVANE_PACKAGE_DEPENDS "tdsodbc | msodbcsql18 | msodbcsql17, qt6-translations-l10n, libqt6svg6")
set(CPACK_DEBIAN_BREVANE_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_COMPONENT_BREVANE_DESCRIPTION
    "creates the snooker hall product's database on SQL Server
Brevane logs on to the local SQL Server with a SQL login, restores the hall
product's template backup under a new database name into a folder the installer
picks, and records server, login, password and database in the product's
settings file Connect.sys. Its captions come in US and British English and in
Simplified and Traditional Chinese.
${hall_provision_paragraph}
${hall_brevane_programs} in the hall product's folder, ${HALL_BREVANE_DIR}.
${hall_brevane_commands}.
This package does not contain the template backup
${HALL_PRODUCT_DIR}/DB/rivazadUZ.Bak or the settings file
${HALL_PRODUCT_DIR}/Connect.sys: both belong to the hall product, which
lays them beside the Brevane folder.")

set(CPACK_DEBIAN_SQLSERVER-STANDIN_PACKAGE_NAME sqlserver-standin)
set(CPACK_DEBIAN_SQLSERVER-STANDIN_PACKAGE_SECTION database)
set(CPACK_COMPONENT_SQLSERVER-STANDIN_DESCRIPTION
    "test server answering the statements of the snooker hall tools
sqlserver-standin is a test server, not a database server. It speaks SQL
Server's wire protocol (TDS 7.4, with TLS) over loopback and answers the
statements that Brevane and brevane-provision send (the log-on, the backup file
list, the database and dump device queries, the restore), the session options
and sp_executesql calls of common client libraries, with SQL Server's own
message numbers and texts. It stores no data; any other statement gets error
50000 naming what it does not run.

It serves demonstrations and tests of those tools and of other clients of the
same statements. It also writes template backups its restore accepts.")

set(CPACK_DEBIAN_LIBQUILVET1_PACKAGE_NAME libquilvet1)
set(CPACK_DEBIAN_LIBQUILVET1_PACKAGE_SECTION libs)
# Installable for several architectures at once: the library is in the
# architecture's own folder and the shared files are byte-identical.
# CPack writes no Multi-Arch field; a script adds it once the package is built.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/MultiArchSame.cmake)
set(CPACK_HALL_MULTIARCH_SAME_PACKAGES libquilvet1)
# The control's captions are Chinese: a face with Chinese glyphs shows them.
set(CPACK_DEBIAN_LIBQUILVET1_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
# The dynamic linker's cache is refreshed by dpkg's ldconfig trigger; the symbols
# file pins every exported symbol with the version that brought it.
set(CPACK_DEBIAN_LIBQUILVET1_PACKAGE_CONTROL_EXTRA
    ${HALL_PACKAGING_DIR}/libquilvet1/triggers ${HALL_PACKAGING_DIR}/libquilvet1/symbols)
set(CPACK_COMPONENT_LIBQUILVET1_DESCRIPTION
    "time-slot pricing control for snooker hall programs
Quilvet holds one embeddable Qt widget, clsQuilvet: a slider divides the day
into 24 to 1440 slots, the operator marks one price period on it, and enters
prices for eight day kinds, a minute limit and a whole-room fee. Host programs
create it through a small component layer (class factory, dispatch interface,
events, property bag) or use it as a plain widget.

This package holds the shared library and the control's toolbox image.")

set(CPACK_DEBIAN_LIBQUILVET-DEV_PACKAGE_NAME libquilvet-dev)
set(CPACK_DEBIAN_LIBQUILVET-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBQUILVET-DEV_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_COMPONENT_LIBQUILVET-DEV_DEPENDS libquilvet1)
set(CPACK_COMPONENT_LIBQUILVET-DEV_DESCRIPTION
    "time-slot pricing control for snooker hall programs - development files
Quilvet holds one embeddable Qt widget, clsQuilvet, that sets one price period
of the day for a snooker hall.

This package holds the public headers and the CMake package: a host project
calls find_package(Quilvet) and links Quilvet::Quilvet.")

set(CPACK_DEBIAN_QUILVET-DESIGNER-PLUGIN_PACKAGE_NAME quilvet-designer-plugin)
set(CPACK_DEBIAN_QUILVET-DESIGNER-PLUGIN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_QUILVET-DESIGNER-PLUGIN_PACKAGE_ENHANCES "designer-qt6")
set(CPACK_COMPONENT_QUILVET-DESIGNER-PLUGIN_DEPENDS libquilvet1)
set(CPACK_COMPONENT_QUILVET-DESIGNER-PLUGIN_DESCRIPTION
    "Qt Designer plugin for the Quilvet time-slot pricing control
With this plugin Qt Designer shows clsQuilvet, Quilvet's time-slot pricing
control, in its widget box under Quilvet, so that it can be placed on forms.")

set(CPACK_DEBIAN_QUILVET-HOST_PACKAGE_NAME quilvet-host)
set(CPACK_DEBIAN_QUILVET-HOST_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_QUILVET-HOST_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_QUILVET-HOST_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_COMPONENT_QUILVET-HOST_DEPENDS libquilvet1)
set(CPACK_COMPONENT_QUILVET-HOST_DESCRIPTION
    "example host program for the Quilvet time-slot pricing control
quilvet-host opens a window holding clsQuilvet, created through its component
registration, logs the control's Change and Scroll events and property-change
notices, and saves and restores its properties in a file.")

include(CPack)
