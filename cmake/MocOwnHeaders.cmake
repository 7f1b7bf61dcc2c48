# varnok_moc_own_headers()
# Runs moc for every target (in every folder) through cmake/moc-own-headers.sh,
# which passes moc the project's and Qt's include folders only. Call it once,
# after every target is made.
function(varnok_moc_own_headers)
    get_target_property(moc Qt6::moc LOCATION)
    # Qt's header root: the folder that holds QtCore/.
    get_target_property(core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
    list(FILTER core_includes INCLUDE REGEX "/QtCore$")
    get_filename_component(qt_headers "${core_includes}" DIRECTORY)
    set(wrapper ${PROJECT_BINARY_DIR}/moc-own-headers.sh)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/moc-own-headers.sh.in ${wrapper} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(folders ${PROJECT_SOURCE_DIR})
    while(folders)
        list(POP_FRONT folders folder)
        get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
        list(APPEND folders ${subfolders})
        get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(automoc ${target} AUTOMOC)
            if(automoc)
                set_target_properties(${target} PROPERTIES AUTOMOC_EXECUTABLE ${wrapper})
            endif()
        endforeach()
    endwhile()
endfunction()
