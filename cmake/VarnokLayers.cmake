# Files per batch: 0 makes each layer one batch, the quickest first build
# (a fresh clone, CI); a developer who rebuilds after small changes may want
# batches of about 8.
set(VARNOK_UNITY_BATCH_SIZE 0 CACHE STRING "Source files per compile batch of a layer (0: the whole layer)")

# varnok_layer(<target> LAYER <name> USES <lower layers...> QT <Qt modules...>
#              SOURCES <files...>)
# Makes one layer's static library. It links only the named Qt modules and
# lower layers, and checks its includes against them before it compiles.
function(varnok_layer target)
    cmake_parse_arguments(ARG "" "LAYER" "USES;QT;SOURCES" ${ARGN})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${ARG_LAYER}-includes.stamp)
    set(sources)
    foreach(source IN LISTS ARG_SOURCES)
        list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endforeach()
    set(allowed_layers ${ARG_LAYER})
    foreach(lower IN LISTS ARG_USES)
        get_target_property(lower_layers ${lower} VARNOK_LAYERS)
        list(APPEND allowed_layers ${lower_layers})
    endforeach()
    list(REMOVE_DUPLICATES allowed_layers)
    set(allowed_qt)
    foreach(module IN LISTS ARG_QT)
        list(APPEND allowed_qt Qt${module})
    endforeach()
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DLAYER=${ARG_LAYER} "-DALLOWED_LAYERS=${allowed_layers}"
                "-DALLOWED_QT=${allowed_qt}" "-DSOURCES=${sources}" -DSTAMP=${stamp}
                -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
        DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
        COMMENT "Checking the ${ARG_LAYER} layer's includes"
        VERBATIM)
    # The check is a target of its own that the library waits for: a custom
    # command inside the library would wait for every lower layer's library
    # to be linked first, which would build the layers one after another.
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_library(${target} STATIC ${ARG_SOURCES})
    add_dependencies(${target} ${target}_includes)
    set_target_properties(${target} PROPERTIES VARNOK_LAYERS "${allowed_layers}")
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set(qt_targets)
    foreach(module IN LISTS ARG_QT)
        list(APPEND qt_targets Qt6::${module})
    endforeach()
    target_link_libraries(${target} PUBLIC ${ARG_USES} ${qt_targets})
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    # A layer's sources compile in batches: most of a file's compile time is
    # reading Qt's headers, once per batch instead of once per file.
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON
                                               UNITY_BUILD_BATCH_SIZE ${VARNOK_UNITY_BATCH_SIZE})
endfunction()
