# The help menu's documentation into ${TOBRAK_MANUAL_DIR}: the README and the docs folder
# as HTML pages, rendered in the build tree.
find_program(CMARK_GFM cmark-gfm)
if(CMARK_GFM)
  set(render ${CMAKE_CURRENT_SOURCE_DIR}/render-doc.cmake)
  # From the build tree: images and links resolve in the source tree.
  set(pages ${PROJECT_BINARY_DIR}/doc/README.html)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/README.html
    COMMAND ${CMAKE_COMMAND} -DCMARK=${CMARK_GFM} -DIN=${PROJECT_SOURCE_DIR}/README.md
            -DOUT=${PROJECT_BINARY_DIR}/doc/README.html -DTITLE=Tobrak -DBASE=${PROJECT_SOURCE_DIR}/ -P ${render}
    DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${render} VERBATIM)
  # Installed: the README beside a copy of the docs folder.
  file(GLOB doc_md CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
  foreach(md ${PROJECT_SOURCE_DIR}/README.md ${doc_md})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${md})
    string(REGEX REPLACE "\\.md$" ".html" html ${PROJECT_BINARY_DIR}/doc/install/${rel})
    get_filename_component(title ${md} NAME_WE)
    add_custom_command(OUTPUT ${html}
      COMMAND ${CMAKE_COMMAND} -DCMARK=${CMARK_GFM} -DIN=${md} -DOUT=${html} -DTITLE=Tobrak:${title}
              -DLINKS_TO_HTML=ON -P ${render}
      DEPENDS ${md} ${render} VERBATIM)
    list(APPEND pages ${html})
  endforeach()
  add_custom_target(tobrak_manual ALL DEPENDS ${pages})
  install(DIRECTORY ${PROJECT_BINARY_DIR}/doc/install/ DESTINATION ${TOBRAK_MANUAL_DIR})
  set(TOBRAK_MANUAL_PAGE README.html)
else()
  message(STATUS "cmark-gfm not found: the help menu opens README.md as it is")
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TOBRAK_MANUAL_DIR})
  set(TOBRAK_MANUAL_PAGE README.md)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${TOBRAK_MANUAL_DIR}/docs)

