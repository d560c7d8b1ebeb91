# The README and the pages in docs/: every link and picture names a file that
# is there, and every #fragment a heading of its page (scripts/check-links).
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME docs_links_and_pictures_are_there
         COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check-links
                 ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs)
add_test(NAME docs_link_check_names_every_broken_link
         COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check-links --self-test)
