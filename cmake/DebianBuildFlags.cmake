# Optimised builds take Debian's build flags from dpkg-buildflags, with every
# hardening feature (stack protector, fortified functions, format checks,
# read-only relocations bound at start-up, position-independent executables),
# as Debian builds its own packages. Source and build folders are mapped to "."
# in file names the compiler records (assertions, debug information), so no
# installed file names the machine the packages were built on.
# Debug, sanitizer and fuzzer builds keep their own flags: fortified functions
# need optimisation, and the sanitizers replace them.
if(NOT CMAKE_BUILD_TYPE MATCHES "^(RelWithDebInfo|Release)$" OR HALL_BUILD_FUZZERS
   OR CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    return()
endif()
find_program(HALL_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT HALL_DPKG_BUILDFLAGS)
    message(STATUS "dpkg-buildflags not found: built without Debian's hardening flags")
    return()
endif()

function(hall_debian_flags kind out)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${HALL_DPKG_BUILDFLAGS} --get ${kind}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE flags
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(${out} "${flags}" PARENT_SCOPE)
endfunction()

hall_debian_flags(CPPFLAGS hall_cppflags)
hall_debian_flags(CXXFLAGS hall_cxxflags)
hall_debian_flags(LDFLAGS hall_ldflags)
string(APPEND CMAKE_CXX_FLAGS " ${hall_cppflags} ${hall_cxxflags}"
    " -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.")
foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${hall_ldflags}")
endforeach()
message(STATUS "Debian build flags: ${hall_cppflags} ${hall_cxxflags} ${hall_ldflags}")
