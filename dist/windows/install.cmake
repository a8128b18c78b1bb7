# What the programs load on Windows, beside them in one folder: Qt's libraries and the
# plugins they open, Qt's Japanese translation, the DLLs of hidapi and libmosquitto, and
# MinGW's runtime. Qt's windeployqt is not part of a cross build, so the files are named here.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Network)
foreach(lib Core Gui Widgets PrintSupport Network)
  install(FILES $<TARGET_FILE:Qt6::${lib}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/windows/qt.conf DESTINATION .)

# The .qm files are the same on every platform: Debian's own (qt6-translations-l10n) serve.
find_file(TOBRAK_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations ${QT6_INSTALL_PREFIX}/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(TOBRAK_QTBASE_JA)
  install(FILES ${TOBRAK_QTBASE_JA} DESTINATION translations)
else()
  message(WARNING "qtbase_ja.qm not found: Qt's own dialogs stay in English")
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(TOBRAK_WIN_HIDAPI REQUIRED hidapi)
pkg_check_modules(TOBRAK_WIN_MOSQUITTO REQUIRED libmosquitto)
foreach(dll ${TOBRAK_WIN_HIDAPI_PREFIX}/bin/libhidapi.dll ${TOBRAK_WIN_MOSQUITTO_PREFIX}/bin/libmosquitto.dll)
  if(EXISTS ${dll})
    install(FILES ${dll} DESTINATION .)
  endif()
endforeach()

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name} OUTPUT_VARIABLE dll
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${dll}" AND EXISTS "${dll}")
      install(FILES ${dll} DESTINATION .)
    endif()
  endforeach()
endif()
