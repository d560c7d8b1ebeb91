# padrelle-render: one screen of play with fingers on two pads and the disc,
# and one key-assignment screen, each written to a file of its own; and a bad
# command line ends with status 2.
add_test(NAME render_play_screen
         COMMAND ${CMAKE_COMMAND} -DRENDER=$<TARGET_FILE:padrelle-render>
                 "-DARGS=--touch;755,595;--touch;983,387;--touch;300,400"
                 -DOUT=${CMAKE_CURRENT_BINARY_DIR}/render_play_screen.png
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/render/render_png.cmake)
add_test(NAME render_assignment_screen
         COMMAND ${CMAKE_COMMAND} -DRENDER=$<TARGET_FILE:padrelle-render> "-DARGS=--assign;10"
                 -DOUT=${CMAKE_CURRENT_BINARY_DIR}/render_assignment_screen.png
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/render/render_png.cmake)
# The menu open at its layouts, and a page it does not have refused.
add_test(NAME render_menu_screen
         COMMAND ${CMAKE_COMMAND} -DRENDER=$<TARGET_FILE:padrelle-render> "-DARGS=--menu;layout"
                 -DOUT=${CMAKE_CURRENT_BINARY_DIR}/render_menu_screen.png
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/render/render_png.cmake)
add_test(NAME render_menu_unknown_page
         COMMAND ${CMAKE_COMMAND} -DRENDER=$<TARGET_FILE:padrelle-render> "-DARGS=--menu;options"
                 -DSTATUS=2 -DOUT=${CMAKE_CURRENT_BINARY_DIR}/render_menu_unknown_page.png
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/render/render_png.cmake)
add_test(NAME render_bad_command_line
         COMMAND ${CMAKE_COMMAND} -DRENDER=$<TARGET_FILE:padrelle-render> "-DARGS=--assign;11"
                 -DSTATUS=2 -DOUT=${CMAKE_CURRENT_BINARY_DIR}/render_bad_command_line.png
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/render/render_png.cmake)
