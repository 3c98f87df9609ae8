# What `cmake --install` puts where a Linux desktop expects it. The libraries
# and resource packs are the programs' own: they go to lib/qlr-learn/, where
# the programs' run path and the pack lookup find them relative to bin/.
install(TARGETS qlr-learn qlr-remote qlr-original RUNTIME DESTINATION bin)
install(TARGETS rcport ConLCode LIBRARY DESTINATION ${QLR_PRIVATE_DIR})
get_directory_property(QLR_PACKS DIRECTORY ${PROJECT_SOURCE_DIR}/platform/respack DEFINITION QLR_PACKS)
foreach(pack IN LISTS QLR_PACKS)
  install(FILES ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${pack}.rcc DESTINATION ${QLR_PRIVATE_DIR})
endforeach()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/data/qlr-learn-virtual DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/data/qlr-learn.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/qlr-remote.bash DESTINATION share/bash-completion/completions
        RENAME qlr-remote)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/qlr-learn)

# The manual pages, made of the programs' --help at build time.
set(QLR_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(QLR_MAN_PAGES)
function(qlr_man_page program summary)
  set(page ${QLR_MAN_DIR}/${program}.1.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> "-DSUMMARY=${summary}" -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${page} ${ARGN} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  set(QLR_MAN_PAGES ${QLR_MAN_PAGES} ${page} PARENT_SCOPE)
endfunction()
qlr_man_page(qlr-learn "teach a QLR-815 learning remote the keys of an original remote")
qlr_man_page(qlr-remote "the virtual QLR-815 remote: its server and command line" -DSUBCOMMANDS=ON)
add_custom_target(qlr_manpages ALL DEPENDS ${QLR_MAN_PAGES})
install(FILES ${QLR_MAN_PAGES} DESTINATION share/man/man1)

# The metainfo that software centres list the tool by. Its screenshot is the
# README's, where the project's pages are published.
set(QLR_PROJECT_URL "https://qlr815.example" CACHE STRING "Where the project's pages and docs/ are published")
string(TIMESTAMP QLR_RELEASE_DATE "%Y-%m-%d" UTC)
set(QLR_METAINFO ${CMAKE_BINARY_DIR}/share/metainfo/org.qlr815.learn.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/data/org.qlr815.learn.metainfo.xml.in ${QLR_METAINFO} @ONLY)
install(FILES ${QLR_METAINFO} DESTINATION share/metainfo)

# The desktop entries start the programs by their full names: a prefix's bin/
# is not always on the desktop's search path. A prefix with characters that
# the entries' quoting would have to escape keeps the plain names.
set(QLR_DESKTOP_ENTRIES ${PROJECT_SOURCE_DIR}/data/org.qlr815.learn.desktop
                        ${PROJECT_SOURCE_DIR}/data/org.qlr815.learn.virtual.desktop)
install(CODE "set(QLR_DESKTOP_ENTRIES \"${QLR_DESKTOP_ENTRIES}\")")
install(CODE [[
  string(REGEX MATCH "[\"`$\\]" awkward "${CMAKE_INSTALL_PREFIX}")
  foreach(source IN LISTS QLR_DESKTOP_ENTRIES)
    file(READ "${source}" entry)
    if(NOT awkward)
      string(REGEX REPLACE "\nExec=([a-z-]+)" "\nExec=\"${CMAKE_INSTALL_PREFIX}/bin/\\1\"" entry "${entry}")
    endif()
    get_filename_component(name "${source}" NAME)
    set(installed "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/${name}")
    message(STATUS "Installing: ${installed}")
    file(WRITE "${installed}" "${entry}")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${installed}")
  endforeach()
]])

# The launcher beside the programs in the build tree too, so scripts/run and
# the virtual remote's desktop entry start the tool the same way.
configure_file(${PROJECT_SOURCE_DIR}/data/qlr-learn-virtual ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qlr-learn-virtual
               COPYONLY)
