# Warnings for the project's own targets only, in the flags of the compiler at hand: the
# libraries found on the system (GoogleTest, Qt) are not ours to hold to them.

# The warning flags, by compiler, as one interface target.
add_library(quorrel_warnings INTERFACE)
target_compile_options(quorrel_warnings INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor>
    $<$<CXX_COMPILER_ID:MSVC>:/W4 /permissive->)
if(QUORREL_WERROR)
    target_compile_options(quorrel_warnings INTERFACE
        $<IF:$<CXX_COMPILER_ID:MSVC>,/WX,-Werror>)
endif()

# Gives every library and executable made in `directory` (and the folders below it) the
# project's warnings.
function(quorrel_apply_warnings directory)
    if(NOT directory MATCHES "^${PROJECT_SOURCE_DIR}")
        return()  # a library built from its own sources (GoogleTest for Windows)
    endif()
    get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE|OBJECT_LIBRARY)$")
            target_link_libraries(${target} PRIVATE quorrel_warnings)
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        quorrel_apply_warnings("${subdirectory}")
    endforeach()
endfunction()
