# Helpers shared by every subsystem's CMakeLists: warnings, sanitizers and test registration.

# Warnings apply to our own targets only, never to third-party headers.
function(pennoria_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                                             -Wnon-virtual-dtor -Wold-style-cast)
    if(PENNORIA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A portable subsystem library: one folder, one static library, public include root at the repo.
function(pennoria_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    target_compile_features(${target} PUBLIC cxx_std_17)
    pennoria_warnings(${target})
endfunction()

# Executables land in the program folder of the build tree, beside the installed data.
function(pennoria_executable target)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_DEPS})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PENNORIA_PROGRAM_DIR})
    pennoria_warnings(${target})
    install(TARGETS ${target} RUNTIME DESTINATION ${PENNORIA_INSTALL_PROGRAM_DIR})
endfunction()
