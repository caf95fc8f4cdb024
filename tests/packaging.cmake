# Installing into a staging folder as the package would, then checking what the desktop
# reads from it: the menu entry, the icons, the software-centre metadata and the .deb.
set(_stage ${PROJECT_BINARY_DIR}/packaging-stage)
set(_check ${CMAKE_CURRENT_SOURCE_DIR}/packaging-check.sh)

add_test(NAME packaging_stage COMMAND ${_check} stage ${PROJECT_BINARY_DIR} ${_stage})
add_test(NAME packaging_menu COMMAND ${_check} menu ${_stage} ${PROJECT_BINARY_DIR})
add_test(NAME packaging_metainfo COMMAND ${_check} metainfo ${_stage} ${PROJECT_SOURCE_DIR})
add_test(NAME packaging_deb COMMAND ${_check} deb ${PROJECT_BINARY_DIR} ${_stage}
         ${PROJECT_BINARY_DIR}/packaging-deb)
set_tests_properties(packaging_stage PROPERTIES FIXTURES_SETUP staged_install TIMEOUT 120)
set_tests_properties(packaging_menu packaging_metainfo PROPERTIES
  FIXTURES_REQUIRED staged_install TIMEOUT 120)
# The package step re-checks the whole build before packing it.
set_tests_properties(packaging_deb PROPERTIES FIXTURES_REQUIRED staged_install TIMEOUT 900)
add_test(NAME packaging_licence COMMAND ${_check} licence ${_stage} ${PROJECT_SOURCE_DIR})
set_tests_properties(packaging_licence PROPERTIES FIXTURES_REQUIRED staged_install TIMEOUT 120)
