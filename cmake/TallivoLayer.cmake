# One static library per layer of the source tree.
#
#   tallivo_layer(<layer> SOURCES <files...> [PUBLIC <targets...>] [PRIVATE <targets...>])
#
# makes tallivo_<layer> from src/<layer>/<files>. A layer's headers are included as
# "<layer>/Name.h", and only the layers a library links can be included: each layer's
# include root holds that layer's folder alone, and reaches a target only through a
# link. So an include that points up the layers, or sideways to a layer that is not
# linked, fails to build. Link PUBLIC what the layer's own headers include, PRIVATE
# what only its sources use.
function(tallivo_layer layer)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${layer})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${layer})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
    endif()
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/src/${layer}/)
    add_library(tallivo_${layer} STATIC ${ARG_SOURCES})
    target_include_directories(tallivo_${layer} PUBLIC ${root})
    target_link_libraries(tallivo_${layer} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()
