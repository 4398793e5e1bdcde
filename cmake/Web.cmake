# The WebAssembly build (VORNAL_WEB; scripts/build-web configures it with emscripten's
# toolchain into build/web): the engine, codec, music and media from the desktop's sources,
# without Qt and without threads, with programs that run under node. SDL2 and libjpeg-turbo,
# which this emscripten has no ready ports of, are built from Debian's sources by
# scripts/build-web into VORNAL_WEB_LIBS.
if(NOT EMSCRIPTEN)
    message(FATAL_ERROR "VORNAL_WEB builds with emscripten's toolchain: use scripts/build-web")
endif()
set(VORNAL_WEB_LIBS "" CACHE PATH "Where scripts/build-web installed SDL2 and libjpeg-turbo")
if(NOT EXISTS "${VORNAL_WEB_LIBS}/lib/libjpeg.a" OR NOT EXISTS "${VORNAL_WEB_LIBS}/lib/libSDL2.a")
    message(FATAL_ERROR "VORNAL_WEB_LIBS (${VORNAL_WEB_LIBS}) holds no libjpeg.a and libSDL2.a: "
                        "use scripts/build-web")
endif()
set(VORNAL_GUI OFF CACHE BOOL "No window in the web build" FORCE)

# Exceptions carry the engine's errors. WebAssembly's own exceptions cost nothing until one
# is thrown (node 16 and every current browser run them); emscripten's JavaScript emulation
# makes every call that may throw a call through JavaScript (the executor runs a fifth
# slower), but it is what this emscripten's Asyncify can transform. libjpeg's error exit
# (longjmp) goes the same way as the exceptions.
set(VORNAL_WEB_EXCEPTIONS wasm CACHE STRING "Exceptions in the web build: wasm or js")
set_property(CACHE VORNAL_WEB_EXCEPTIONS PROPERTY STRINGS wasm js)
if(VORNAL_WEB_EXCEPTIONS STREQUAL "wasm")
    add_compile_options(-fwasm-exceptions -sSUPPORT_LONGJMP=wasm)
    add_link_options(-fwasm-exceptions -sSUPPORT_LONGJMP=wasm)
else()
    add_compile_options(-fexceptions)
    add_link_options(-fexceptions)
endif()
# The player in a browser page (player/web/page) waits inside the engine through Asyncify,
# which this emscripten cannot apply to WebAssembly's exceptions: its tree is built with the
# JavaScript ones (scripts/build-web builds it beside this one, in build/web/page-tree).
option(VORNAL_WEB_PAGE "Build the page's player and vnpack instead of the node player" OFF)
if(VORNAL_WEB_PAGE AND NOT VORNAL_WEB_EXCEPTIONS STREQUAL "js")
    message(FATAL_ERROR "VORNAL_WEB_PAGE needs VORNAL_WEB_EXCEPTIONS=js (Asyncify)")
endif()
# The heap grows with the pictures.
add_link_options(-sALLOW_MEMORY_GROWTH=1)
# Link-time optimisation: the engine's calls across its source files take string views,
# which WebAssembly's C ABI passes through memory; inlined, they stay in locals (the
# executor runs half again as fast). The libraries from Debian's sources are built without.
add_compile_options(-flto)
add_link_options(-flto)

add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_LOCATION ${VORNAL_WEB_LIBS}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${VORNAL_WEB_LIBS}/include)
add_library(SDL2::SDL2 STATIC IMPORTED GLOBAL)
set_target_properties(SDL2::SDL2 PROPERTIES IMPORTED_LOCATION ${VORNAL_WEB_LIBS}/lib/libSDL2.a
    INTERFACE_INCLUDE_DIRECTORIES ${VORNAL_WEB_LIBS}/include/SDL2)

# A program run by node, on the real file system (saves, pictures written out), that exits
# with its own status.
function(vornal_node_program target)
    set(pre ${PROJECT_SOURCE_DIR}/player/web/node/node_pre.js)
    target_link_options(${target} PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node -sEXIT_RUNTIME=1
        --pre-js ${pre})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${pre})
endfunction()
