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
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/qlr-learn)

# The desktop entry starts the launcher by its full name: a prefix's bin/ is
# not always on the desktop's search path. A prefix with characters that the
# entry's quoting would have to escape keeps the plain name.
install(CODE "set(QLR_DESKTOP_ENTRY \"${PROJECT_SOURCE_DIR}/data/qlr-learn.desktop\")")
install(CODE [[
  file(READ "${QLR_DESKTOP_ENTRY}" entry)
  string(REGEX MATCH "[\"`$\\]" awkward "${CMAKE_INSTALL_PREFIX}")
  if(NOT awkward)
    string(REPLACE "\nExec=qlr-learn-virtual" "\nExec=\"${CMAKE_INSTALL_PREFIX}/bin/qlr-learn-virtual\"" entry "${entry}")
  endif()
  set(installed "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/qlr-learn.desktop")
  message(STATUS "Installing: ${installed}")
  file(WRITE "${installed}" "${entry}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${installed}")
]])

# The launcher beside the programs in the build tree too, so scripts/run and
# the desktop entry start the tool the same way.
configure_file(${PROJECT_SOURCE_DIR}/data/qlr-learn-virtual ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qlr-learn-virtual
               COPYONLY)
