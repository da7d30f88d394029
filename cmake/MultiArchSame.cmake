# Run by CPack after the packages are built: adds "Multi-Arch: same" to the
# control file of each package named in CPACK_HALL_MULTIARCH_SAME_PACKAGES, since
# CPack's Debian generator writes no Multi-Arch field.
foreach(package_file IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(file_name "${package_file}" NAME)
    string(REGEX MATCH "^[^_]+" package "${file_name}")
    if(NOT file_name MATCHES "\\.deb$" OR NOT package IN_LIST CPACK_HALL_MULTIARCH_SAME_PACKAGES)
        continue()
    endif()
    set(tree "${CPACK_TOPLEVEL_DIRECTORY}/multiarch-${package}")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb -R "${package_file}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${tree}/DEBIAN/control" control)
    string(REGEX REPLACE "\nMulti-Arch: [^\n]*" "" control "${control}")
    string(REPLACE "\nSection:" "\nMulti-Arch: same\nSection:" control "${control}")
    file(WRITE "${tree}/DEBIAN/control" "${control}")
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b "${tree}" "${package_file}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
    message(STATUS "Multi-Arch: same added to ${file_name}")
endforeach()
