# The program's manifest: the file that is embedded, and the reader that
# checks it inside the built programs (scripts/test runs that check on the
# win64 and win32 padrelle.exe after building them).
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME manifest_source_declares_dpi_awareness_and_as_invoker
         COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check-manifest --xml
                 ${PROJECT_SOURCE_DIR}/res/padrelle.manifest)
add_test(NAME manifest_reader_finds_the_embedded_manifest_and_rejects_broken_programs
         COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check-manifest --self-test)
