# ccache, keyed so that every checkout of the tree shares its objects: a clean
# clone elsewhere (as CI makes) reuses what a build in the developer's checkout
# compiled. Paths below the top are hashed relative to it (base_dir), and the
# objects name them relative to it too (the prefix map), so a cached object is
# right wherever the tree lies. Set here rather than in ccache's own
# configuration so that every machine and every way of building gets it.
find_program(QLR_CCACHE ccache)
if(QLR_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} ${QLR_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_C_COMPILER_LAUNCHER})
endif()
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)

# Qt's test library compiles each test's absolute source and build folders
# into it, for QFINDTESTDATA, which our tests do not use (they find their data
# through QLR_TEST_DATA); those folders would make every test's object differ
# from one checkout to the next.
get_target_property(qlr_test_definitions Qt6::Test INTERFACE_COMPILE_DEFINITIONS)
list(FILTER qlr_test_definitions EXCLUDE REGEX "^QT_TESTCASE_(BUILD|SOURCE)DIR=")
set_target_properties(Qt6::Test PROPERTIES INTERFACE_COMPILE_DEFINITIONS "${qlr_test_definitions}")
