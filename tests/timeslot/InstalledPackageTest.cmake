# Installs the build into a temporary prefix, checks the layout, builds the
# example host against the installed package with find_package(Quilvet) and
# runs it offscreen, and asks the installed quilvet-host to describe the control.
#   cmake -DBUILD_DIR=... -DEXAMPLE_DIR=... -DWORK_DIR=... -DCMAKE_GENERATOR=... -P InstalledPackageTest.cmake

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output text)
    string(FIND "${output}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "expected \"${text}\" in:\n${output}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The library with its SONAME link and development link, only the public headers.
file(GLOB_RECURSE sonames ${prefix}/*libQuilvet.so.1)
file(GLOB_RECURSE devlinks ${prefix}/*libQuilvet.so)
list(LENGTH sonames found)
if(NOT found EQUAL 1 OR NOT IS_SYMLINK "${sonames}" OR NOT devlinks)
    message(FATAL_ERROR "libQuilvet.so.1 and libQuilvet.so links expected, found: ${sonames} ${devlinks}")
endif()
set(library "${sonames}")
file(GLOB headers RELATIVE ${prefix}/include/quilvet ${prefix}/include/quilvet/*)
list(SORT headers)
if(NOT headers STREQUAL "ComInterfaces.h;ComPersistence.h;ComRuntime.h;ComTypeInfo.h;ComTypes.h;Component.h;PropertyStore.h;QuilvetError.h;QuilvetIdentity.h;clsQuilvet.h;quilvet_export.h")
    message(FATAL_ERROR "public headers expected, found: ${headers}")
endif()
foreach(file share/quilvet/toolbox-30000.bmp bin/quilvet-host)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "${file} is not installed")
    endif()
endforeach()
file(GLOB_RECURSE config ${prefix}/*QuilvetConfig.cmake)
file(GLOB_RECURSE plugin ${prefix}/*libQuilvetDesignerPlugin.so)
if(NOT config OR NOT plugin MATCHES "/qt6/plugins/designer/")
    message(FATAL_ERROR "package files or Designer plugin missing: '${config}' '${plugin}'")
endif()

# A host developer's build, against the prefix only.
run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/example -G ${CMAKE_GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Debug)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/example)

set(ENV{HALL_COMPONENT_REGISTRY} ${WORK_DIR}/registry)
set(ENV{QT_QPA_PLATFORM} offscreen)
run(${WORK_DIR}/example/minimal-host ${library})
expect_output("Max = 48")
expect_output("EndTime = 23:59")
expect_output("shown: 698x100")

# Designer loads the installed plugin, which finds the installed library.
file(GET_RUNTIME_DEPENDENCIES LIBRARIES ${plugin} RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved)
list(FILTER resolved INCLUDE REGEX "libQuilvet")
if(resolved)
    get_filename_component(resolved "${resolved}" REALPATH)
endif()
get_filename_component(installed_library "${library}" REALPATH)
if(unresolved OR NOT resolved STREQUAL installed_library)
    message(FATAL_ERROR "the Designer plugin finds '${resolved}' (unresolved: '${unresolved}')")
endif()
if(DESIGNER_PLUGIN_TEST)
    set(ENV{QUILVET_DESIGNER_PLUGIN} ${plugin})
    run(${DESIGNER_PLUGIN_TEST})
    unset(ENV{QUILVET_DESIGNER_PLUGIN})
endif()

# The registration points at the installed library, and the installed host
# describes the control from its type information.
file(READ ${WORK_DIR}/registry/HKEY_CURRENT_USER.reg registry)
string(FIND "${registry}" "${library}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "the registry does not name ${library}")
endif()
run(${prefix}/bin/quilvet-host --describe)
expect_output("PriceWeek8")
expect_output("0x68030000")
expect_output("Scroll")
