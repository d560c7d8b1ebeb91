# The players' package: per architecture one zip with padrelle.exe, the
# pictures in img/ and the players' guide (padrelle-guide.html, made by
# tools/make_guide) beside it.
#   cmake --build <build> --target package
# gives <build>/padrelle-<version>-win64.zip (or -win32.zip). The stand-in
# interception.dll of tools/standin_interception is never part of it: players
# install the real driver and its library. scripts/check-package checks the
# zip's files.

install(FILES ${CMAKE_BINARY_DIR}/src/padrelle-guide.html DESTINATION .)
# The pictures that tools/make_pictures makes beside padrelle.exe (target
# padrelle_pictures, part of ALL), into img/ beside it in the zip.
install(DIRECTORY ${CMAKE_BINARY_DIR}/src/img DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(padrelle_package_arch win64)
else()
  set(padrelle_package_arch win32)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME padrelle)
set(CPACK_PACKAGE_VENDOR "Padrelle")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Touch-screen rhythm-game controller for Windows")
set(CPACK_PACKAGE_FILE_NAME padrelle-${PROJECT_VERSION}-${padrelle_package_arch})
# The zip unpacks into one folder of that name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
