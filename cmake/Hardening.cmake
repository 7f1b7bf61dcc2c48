# Debian's hardening flags, from dpkg-buildflags with every hardening feature
# on: stack protector, format checks, read-only relocations bound at start
# (RELRO, BIND_NOW) and, where the build optimizes, fortified C library calls
# (_FORTIFY_SOURCE needs optimization: without it glibc warns at each file).
# The build type keeps choosing -O and -g; the file-prefix map is left out,
# since it names the source folder and would keep ccache from sharing
# objects between checkouts. Without dpkg-buildflags (package dpkg-dev) the
# build goes on without them.
find_program(VARNOK_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VARNOK_DPKG_BUILDFLAGS)
    message(STATUS "dpkg-buildflags not found (Debian package dpkg-dev): no hardening flags")
    return()
endif()

function(varnok_build_flags kind out)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${VARNOK_DPKG_BUILDFLAGS} --get ${kind}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^(-g|-O[0-9s]?|-ffile-prefix-map=.*)$")
    set(${out} ${flags} PARENT_SCOPE)
endfunction()

varnok_build_flags(CXXFLAGS VARNOK_HARDENING_CXXFLAGS)
varnok_build_flags(CPPFLAGS VARNOK_HARDENING_CPPFLAGS)
varnok_build_flags(LDFLAGS VARNOK_HARDENING_LDFLAGS)
foreach(flag ${VARNOK_HARDENING_CXXFLAGS} ${VARNOK_HARDENING_CPPFLAGS})
    if(flag MATCHES "^-D_FORTIFY_SOURCE")
        # Level 3 (GCC 12, glibc 2.36) also checks buffers whose size is known
        # only at run time, as Qt's containers' are: at level 2 the compiler
        # could check no call of the program at all.
        add_compile_options($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=3>)
    else()
        add_compile_options(${flag})
    endif()
endforeach()
add_link_options(${VARNOK_HARDENING_LDFLAGS})
