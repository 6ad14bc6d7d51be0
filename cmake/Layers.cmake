# One static library per subsystem folder, and one per window folder (`<folder>/ui`).
#
# A library sees only the headers of the libraries it names in USES (and of those they use): each
# library's headers are linked into an include root of its own under the build tree, and that root
# is all the library publishes. An include across the layers the other way therefore fails to
# compile instead of slipping in. Sources include their own folder's headers by plain name.
#
# ostrevan_layer(<folder> [UI] [USES <layer>...] [PUBLIC_LIBS <lib>...] [PRIVATE_LIBS <lib>...]
#                [EXCLUDE <regex>])
# A layer is named by its folder, `<folder>_ui` for its windows: `USES core db roster`.
function(ostrevan_layer folder)
    cmake_parse_arguments(L "UI" "EXCLUDE" "USES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    if(L_UI)
        set(dir ${folder}/ui)
        set(target ostrevan_${folder}_ui)
    else()
        set(dir ${folder})
        set(target ostrevan_${folder})
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
    if(L_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${L_EXCLUDE}")
    endif()
    if(NOT sources)
        message(FATAL_ERROR "The layer ${dir} has no sources")
    endif()

    set(root ${CMAKE_BINARY_DIR}/layers/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${dir})
    foreach(file IN LISTS sources)
        if(file MATCHES "\\.h$")
            get_filename_component(name ${file} NAME)
            file(CREATE_LINK ${file} ${root}/${dir}/${name} SYMBOLIC)
        endif()
    endforeach()

    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${root})
    list(TRANSFORM L_USES PREPEND ostrevan_)
    target_link_libraries(${target} PUBLIC ostrevan_common_cfg ${L_USES} ${L_PUBLIC_LIBS} PRIVATE ${L_PRIVATE_LIBS})
    set_property(GLOBAL APPEND PROPERTY OSTREVAN_LAYERS ${target})
endfunction()
