# The browser build: the same game compiled by emscripten (through emcmake,
# see scripts/web.sh). The desktop's window file is swapped for the page's
# in this folder, and the assets a native build made are packed beside the
# program. It writes play/index.html with index.js, index.wasm and
# index.data beside it.
set(GOBBIT_WEB_DATA "" CACHE PATH "A native build's Data folder (with 564/ in it)")
if(NOT IS_DIRECTORY "${GOBBIT_WEB_DATA}/564")
  message(FATAL_ERROR "GOBBIT_WEB_DATA must name a native build's Data folder, with 564/ in it")
endif()

set(WEB_DIR ${CMAKE_SOURCE_DIR}/ZARNCore/sys/web)
file(GLOB_RECURSE WEB_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/ZARNCore/*.cpp
  ${CMAKE_SOURCE_DIR}/game/*.cpp)
list(REMOVE_ITEM WEB_SOURCES
  ${CMAKE_SOURCE_DIR}/game/shell/main.cpp
  ${CMAKE_SOURCE_DIR}/ZARNCore/sys/DesktopWindow.cpp)
# The rules of play, held to the same float arithmetic as on the desktop
# (see the top-level CMakeLists.txt), so a game plays out alike in both.
file(GLOB WEB_RULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/rules/*.cpp)
set_source_files_properties(${WEB_RULES} PROPERTIES COMPILE_OPTIONS "-ffp-contract=off;-fno-fast-math")
list(APPEND WEB_SOURCES ${WEB_RULES})

# stb's headers (libstb-dev) on their own, without the rest of the
# desktop's /usr/include.
foreach(header stb_vorbis.h stb_image.h stb_image_write.h)
  configure_file(/usr/include/stb/${header} ${CMAKE_BINARY_DIR}/stb-include/stb/${header} COPYONLY)
endforeach()

add_executable(gobbit ${WEB_SOURCES} ${WEB_DIR}/StbVorbis.c)
set_target_properties(gobbit PROPERTIES
  OUTPUT_NAME index SUFFIX .html RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/play
  LINK_DEPENDS "${WEB_DIR}/page.html;${WEB_DIR}/page.js")
target_include_directories(gobbit PRIVATE
  ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/ZARNCore ${CMAKE_SOURCE_DIR}/game ${WEB_DIR})
# System headers, as they are on the desktop: their own warnings are not ours.
target_include_directories(gobbit SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/stb-include)
target_link_options(gobbit PRIVATE
  -sUSE_GLFW=3 -sLEGACY_GL_EMULATION=1 -lopenal -sFETCH=1 -lidbfs.js -sFORCE_FILESYSTEM=1
  # One batch of the renderer may hold the whole recording list of boxes
  # (16,666 of six vertices); the default buffer holds about 75,000 vertices.
  -sGL_MAX_TEMP_BUFFER_SIZE=8388608
  # The game's tables are static: about 40 MB before anything is loaded.
  -sINITIAL_MEMORY=134217728 -sALLOW_MEMORY_GROWTH=1
  "SHELL:--preload-file ${GOBBIT_WEB_DATA}/564@/usr/share/games/gobbit/Data/564"
  "SHELL:--pre-js ${WEB_DIR}/page.js" "SHELL:--shell-file ${WEB_DIR}/page.html"
  # Debian's emcc fails minifying the page at -O2.
  -sMINIFY_HTML=0)
