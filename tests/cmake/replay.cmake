# padrelle-replay: its trace parser in the unit tests, and one test per
# regression trace in tests/replay, comparing the replay's output exactly.
target_link_libraries(padrelle_tests PRIVATE padrelle_replay_trace)

file(GLOB replay_traces CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/replay/*.trace)
foreach(trace ${replay_traces})
  get_filename_component(name ${trace} NAME_WE)
  add_test(NAME replay_${name}
           COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:padrelle-replay> -DTRACE=${trace}
                   -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/replay/${name}.expected
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/compare.cmake)
endforeach()

# Traces of the other built-in layouts, in a folder of the layout's name.
file(GLOB layout_traces CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/replay/*/*.trace)
foreach(trace ${layout_traces})
  get_filename_component(name ${trace} NAME_WE)
  get_filename_component(folder ${trace} DIRECTORY)
  get_filename_component(layout ${folder} NAME)
  add_test(NAME replay_${layout}_${name}
           COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:padrelle-replay> -DTRACE=${trace}
                   -DLAYOUT=${layout} -DEXPECTED=${folder}/${name}.expected
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/compare.cmake)
endforeach()

# Frames of every pass: strokes unchanged, one PNG file per pass; and a frame
# that cannot be written stops the replay.
add_test(NAME replay_frames_pad_slide
         COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:padrelle-replay>
                 -DTRACE=${CMAKE_CURRENT_SOURCE_DIR}/replay/pad_slide.trace
                 -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/replay/pad_slide.expected
                 -DFRAMES=${CMAKE_CURRENT_BINARY_DIR}/replay_frames_pad_slide -DPASSES=10
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/frames.cmake)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME replay_frames_show_their_own_pass
         COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/replay/frames_lit.py
                 $<TARGET_FILE:padrelle-replay> ${CMAKE_BINARY_DIR}
                 ${CMAKE_CURRENT_SOURCE_DIR}/replay/pad_slide.trace
                 ${CMAKE_CURRENT_BINARY_DIR}/replay_frames_lit)
add_test(NAME replay_frames_write_failure
         COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:padrelle-replay>
                 -DTRACE=${CMAKE_CURRENT_SOURCE_DIR}/replay/pad_slide.trace
                 -DFRAMES=${CMAKE_CURRENT_BINARY_DIR}/replay_frames_write_failure
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/frames_blocked.cmake)
