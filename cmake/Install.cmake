# What `cmake --install` puts where a Linux desktop expects it. The programs
# find the libraries and resource packs in ../lib relative to themselves.
install(TARGETS qlr-learn qlr-remote RUNTIME DESTINATION bin)
install(TARGETS qlr-original RUNTIME DESTINATION bin)
install(TARGETS rcport ConLCode LIBRARY DESTINATION lib)
foreach(pack on1805 sn1805 fn1805 bn1805 dn1805)
  install(FILES ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${pack}.rcc DESTINATION lib)
endforeach()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/data/qlr-learn-virtual DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/data/qlr-learn.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/qlr-learn.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/qlr-learn)

# The launcher beside the programs in the build tree too, so scripts/run and
# the desktop entry start the tool the same way.
configure_file(${PROJECT_SOURCE_DIR}/data/qlr-learn-virtual ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qlr-learn-virtual
               COPYONLY)
