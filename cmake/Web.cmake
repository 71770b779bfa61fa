# SPDX-License-Identifier: MIT
# The page of web/: the library compiled to WebAssembly with emscripten
# (emcmake cmake -S . -B build-web), and the page's files beside it in
# build-web/web/.
file(GLOB QX_WEB_SOURCES CONFIGURE_DEPENDS
  src/util/*.cpp src/platform/*.cpp src/platform/posix/*.cpp src/platform/web/*.cpp src/codec/*.cpp src/archive/*.cpp
  src/reader/*.cpp src/api/*.cpp web/bindings/*.cpp)
# The browser has no iconv (its own decoder serves instead) and the module
# no threads.
list(FILTER QX_WEB_SOURCES EXCLUDE REGEX "/posix/(Encoding|Sha256|Terminal|ReplacingFile|Workers)\\.cpp$")

# How the module is optimised; bench/page compares the choices
# (docs/performance.md).
set(QX_WEB_OPTIMIZE -O2 CACHE STRING "the optimisation level of the WebAssembly module")
option(QX_WEB_SIMD "WebAssembly SIMD (-msimd128)" OFF)
option(QX_WEB_LTO "link-time optimisation (-flto)" OFF)
set(QX_WEB_FLAGS ${QX_WEB_OPTIMIZE})
if(QX_WEB_SIMD)
  list(APPEND QX_WEB_FLAGS -msimd128)
endif()
if(QX_WEB_LTO)
  list(APPEND QX_WEB_FLAGS -flto)
endif()

set(QX_WEB_DIR ${CMAKE_BINARY_DIR}/web)
add_executable(qx1web ${QX_WEB_SOURCES})
target_include_directories(qx1web PRIVATE src include)
target_compile_options(qx1web PRIVATE ${QX_WEB_FLAGS})
set_target_properties(qx1web PROPERTIES OUTPUT_NAME qx1 SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${QX_WEB_DIR})
set(QX_WEB_EXPORTS _malloc _free _qx1_entry_count _qx1_total_size _qx1_test _qx1_strerror
    _qx1_close _qx1web_name _qx1web_stored _qx1web_stored_size _qx1web_size _qx1web_mtime _qx1web_block
    _qx1web_flags _qx1web_watch _qx1web_open_source _qx1_version _qx1_list _qx1_entry_problem _qx1_entry_data _qx1_entry_state)
string(REPLACE ";" "," QX_WEB_EXPORTS "${QX_WEB_EXPORTS}")
target_link_options(qx1web PRIVATE ${QX_WEB_FLAGS} -sMODULARIZE=1 -sEXPORT_NAME=createQx1 -sENVIRONMENT=web,worker
  -sALLOW_MEMORY_GROWTH=1 -sFILESYSTEM=0 -sEXPORTED_FUNCTIONS=[${QX_WEB_EXPORTS}]
  -sEXPORTED_RUNTIME_METHODS=[UTF8ToString,stringToUTF8,lengthBytesUTF8,HEAPU8,HEAP32,HEAPU32])
# emscripten's JavaScript optimiser needs acorn, which Debian keeps under
# /usr/share/nodejs, where node does not look by itself.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set_target_properties(qx1web PROPERTIES CXX_LINKER_LAUNCHER "${CMAKE_CXX_LINKER_LAUNCHER}")

# The page's own files, and fflate (from web/node_modules, npm ci) for the zip.
set(QX_WEB_FILES web/index.html web/style.css web/app.js web/worker.js)
set(QX_FFLATE ${CMAKE_SOURCE_DIR}/web/node_modules/fflate/umd/index.js)
add_custom_target(qx1page ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QX_WEB_FILES} ${QX_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QX_FFLATE} ${QX_WEB_DIR}/fflate.js
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  DEPENDS ${QX_WEB_FILES} ${QX_FFLATE}
  COMMENT "The page's files into ${QX_WEB_DIR}")

# qx1.html: the page as one self-contained file (web/single-file.mjs).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/qx1.html
  COMMAND node ${CMAKE_SOURCE_DIR}/web/single-file.mjs ${QX_WEB_DIR} ${CMAKE_BINARY_DIR}/qx1.html
  DEPENDS qx1web qx1page ${CMAKE_SOURCE_DIR}/web/single-file.mjs ${QX_WEB_FILES} ${QX_FFLATE}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "The single-file page qx1.html")
add_custom_target(qx1html ALL DEPENDS ${CMAKE_BINARY_DIR}/qx1.html)
