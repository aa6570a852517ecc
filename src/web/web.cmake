# The game in a browser tab, built with emscripten (./web.sh). The pictures, font, sounds and
# levels and the text table come from a native build (RHOMBULUS_NATIVE_BUILD), whose tools make
# them; the browser build compiles the game's own code and the web platform around it.
set(RHOMBULUS_NATIVE_BUILD "" CACHE PATH "The native build whose res/ and text table the page takes")
if(NOT EXISTS "${RHOMBULUS_NATIVE_BUILD}/res/.assets-stamp")
    message(FATAL_ERROR "RHOMBULUS_NATIVE_BUILD must name a native build with res/ built")
endif()
set(WEB_CATALOGUE_TABLE ${RHOMBULUS_NATIVE_BUILD}/generated/catalogue_table.cpp)

file(GLOB_RECURSE WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
# Not in the browser: SDL, the runner, the desktop window, the online server, and the network's
# UDP parts (ENet, the LAN search: src/web/no_lan.cpp stands in); the match goes through the
# relay's WebSocket door (src/web/ws_transport.cpp).
list(FILTER WEB_SOURCES EXCLUDE REGEX "/src/platform/sdl/")
list(FILTER WEB_SOURCES EXCLUDE REGEX "/src/(window|server|online)/")
# Of the runner, what watches a kept replay (its stepper, the script's events, its header).
list(FILTER WEB_SOURCES EXCLUDE REGEX "/src/runner/(png_writer|net_runner|replay_verify)\\.cpp$")
list(FILTER WEB_SOURCES EXCLUDE REGEX "/src/(main|headless_main)\\.cpp$")
list(FILTER WEB_SOURCES EXCLUDE REGEX "/src/net/(enet_transport|discovery|relay_server|slot_guard|ws_relay)\\.cpp$")

add_executable(rhombulus2 ${WEB_SOURCES} ${WEB_CATALOGUE_TABLE})
target_include_directories(rhombulus2 PRIVATE ${CMAKE_SOURCE_DIR}/src)
# The browser has no glib: the names' few calls of it, with the page's own Unicode tables.
target_include_directories(rhombulus2 SYSTEM PRIVATE ${CMAKE_SOURCE_DIR}/src/web/glib)
# Nor zlib (emscripten would download its port): the snapshots' few calls, through Debian's
# stb (found after the sysroot, which holds everything else).
target_include_directories(rhombulus2 SYSTEM PRIVATE ${CMAKE_SOURCE_DIR}/src/web/zlib)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/web/zlib_stb.cpp PROPERTIES
                            COMPILE_OPTIONS "-idirafter;/usr/include;-w")
target_compile_definitions(rhombulus2 PRIVATE RHOMBULUS_VERSION="${PROJECT_VERSION}")
target_compile_options(rhombulus2 PRIVATE -O2)
# The game's data as the page's file system (the saves folder is the player's, in /data).
target_link_options(rhombulus2 PRIVATE
    -O2
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=64MB
    -sENVIRONMENT=web
    -sEXPORTED_RUNTIME_METHODS=ccall,cwrap,UTF8ToString,FS
    -lidbfs.js
    -lwebsocket.js
    "--preload-file=${RHOMBULUS_NATIVE_BUILD}/res@/res"
    "--exclude-file=${RHOMBULUS_NATIVE_BUILD}/res/saves"
    "--exclude-file=${RHOMBULUS_NATIVE_BUILD}/res/levels"
    "--exclude-file=${RHOMBULUS_NATIVE_BUILD}/res/icons")
# The game's files are packed at the link: a new picture or level links anew.
file(GLOB_RECURSE WEB_RES_FILES CONFIGURE_DEPENDS ${RHOMBULUS_NATIVE_BUILD}/res/*)
list(FILTER WEB_RES_FILES EXCLUDE REGEX "/res/(saves|levels|icons)/")
set_target_properties(rhombulus2 PROPERTIES SUFFIX ".js" LINK_DEPENDS "${WEB_RES_FILES}")

# The page and its script beside the build.
file(GLOB WEB_PAGE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/*.html
     ${CMAKE_SOURCE_DIR}/web/*.js ${CMAKE_SOURCE_DIR}/web/*.css)
foreach(page_file ${WEB_PAGE_FILES})
    get_filename_component(name ${page_file} NAME)
    configure_file(${page_file} ${CMAKE_BINARY_DIR}/${name} COPYONLY)
endforeach()

# The tick's cost in WebAssembly against native: rhombulus2-bench's phases run under node, the
# game's files read straight from the native build (not part of the page; built on request:
# cmake --build build-web --target rhombulus2-bench, then node build-web/rhombulus2-bench.js
# --res NATIVE/res). Compiled at once: node's fetch cannot read a file path.
set(WEB_BENCH_SOURCES ${WEB_SOURCES})
list(FILTER WEB_BENCH_SOURCES EXCLUDE REGEX "/src/web/(web_main|ws_transport)\\.cpp$")
add_executable(rhombulus2-bench EXCLUDE_FROM_ALL ${WEB_BENCH_SOURCES} ${WEB_CATALOGUE_TABLE}
                                                 ${CMAKE_SOURCE_DIR}/tools/bench/bench.cpp)
target_include_directories(rhombulus2-bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_include_directories(rhombulus2-bench SYSTEM PRIVATE ${CMAKE_SOURCE_DIR}/src/web/glib
                                                           ${CMAKE_SOURCE_DIR}/src/web/zlib)
target_compile_definitions(rhombulus2-bench PRIVATE RHOMBULUS_VERSION="${PROJECT_VERSION}")
target_compile_options(rhombulus2-bench PRIVATE -O2)
target_link_options(rhombulus2-bench PRIVATE -O2 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
                    -sENVIRONMENT=node -sNODERAWFS=1 -sWASM_ASYNC_COMPILATION=0)
set_target_properties(rhombulus2-bench PROPERTIES SUFFIX ".js")
