# scry.html built beside a native build (the test preset asks for it), by the web preset, where
# Emscripten is installed: SCRY_PAGE_FOR_BROWSERS names it, or stays empty where it cannot be made.
find_program(EMCMAKE emcmake)
set(SCRY_PAGE_FOR_BROWSERS "")
if(NOT EMCMAKE)
  message(STATUS "Emscripten is not installed (Debian package emscripten): scry.html is not built")
  return()
endif()
# Debian's Emscripten runs its optimiser under node with Debian's acorn, wherever the node on the
# path comes from.
set(web_env ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs:/usr/lib/nodejs)
add_custom_target(scry_page_for_browsers ALL
  COMMAND ${web_env} ${CMAKE_COMMAND} --preset web
  COMMAND ${web_env} ${CMAKE_COMMAND} --build --preset web
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Building scry.html with Emscripten (the web preset)"
  USES_TERMINAL)
set(SCRY_PAGE_FOR_BROWSERS ${PROJECT_SOURCE_DIR}/build/web/scry.html)
