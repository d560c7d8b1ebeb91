# The players' guide (tools/make_guide): one page with every picture in it
# and every section a player needs; a picture that is not there stops its
# making, and nothing half-made is left.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME guide_is_one_page_with_every_section
         COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check-package --guide
                 ${CMAKE_BINARY_DIR}/padrelle-guide.html)
add_test(NAME guide_without_its_picture_is_not_made
         COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_guide/make_guide.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/guide/missing_picture.html
                 ${CMAKE_CURRENT_BINARY_DIR}/missing_picture.html)
set_tests_properties(guide_without_its_picture_is_not_made PROPERTIES
                     PASS_REGULAR_EXPRESSION "nowhere.png is not there")
