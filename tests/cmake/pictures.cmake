# The controller's pictures made by tools/make_pictures: pictures_test.cpp
# reads them from the build's img/ directory, made before the tests are built.
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/pictures_test.cpp
                            ${CMAKE_CURRENT_SOURCE_DIR}/frame_layers_test.cpp PROPERTIES
                            COMPILE_DEFINITIONS PADRELLE_PICTURES_DIR="${CMAKE_BINARY_DIR}/img")
add_dependencies(padrelle_tests padrelle_pictures)
