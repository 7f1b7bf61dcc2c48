# Fails when a source file includes a header of a layer above its own, or a
# Qt module its layer does not link. Run by each layer's library before it
# compiles (see VarnokLayers.cmake), so a wrong-way include fails the build.
#
#   cmake -DLAYER=core -DALLOWED_LAYERS="core" -DALLOWED_QT="QtCore"
#         -DSOURCES="a.cpp;a.h" -DSTAMP=out.stamp -P CheckLayerIncludes.cmake
cmake_minimum_required(VERSION 3.22)
set(all_layers core devices automation ui app)
set(failures "")
foreach(source IN LISTS SOURCES)
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
        if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
            set(layer "${CMAKE_MATCH_1}")
            if(layer IN_LIST all_layers AND NOT layer IN_LIST ALLOWED_LAYERS)
                string(APPEND failures "\n  ${source}: ${line} (the ${LAYER} layer may not use ${layer})")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<(Qt[A-Za-z]+)/")
            set(module "${CMAKE_MATCH_1}")
            if(NOT module IN_LIST ALLOWED_QT)
                string(APPEND failures "\n  ${source}: ${line} (the ${LAYER} layer does not link ${module})")
            endif()
        endif()
    endforeach()
endforeach()
if(failures)
    message(FATAL_ERROR "Wrong-way includes:${failures}")
endif()
file(WRITE "${STAMP}" "ok\n")
