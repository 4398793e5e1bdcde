# Writes the page's static site (player/web/page/CMakeLists.txt passes the places): copies
# every file, gathers the licences, and writes the service worker with the list of files and
# a version that changes whenever one of them does.
file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE}/demo ${SITE}/icons)
file(GLOB pages ${SOURCES}/*)
list(FILTER pages EXCLUDE REGEX "\\.in$")
file(COPY ${pages} DESTINATION ${SITE})
file(COPY ${PLAYER}/vnplayer-page.js ${PLAYER}/vnplayer-page.wasm
     ${SYNTH}/externals/libfluidsynth-2.4.6.js ${SYNTH}/dist/js-synthesizer.worklet.min.js
     ${SOUNDFONT} DESTINATION ${SITE})
file(COPY ${DEMO} DESTINATION ${SITE}/demo)
file(COPY ${ICON} ${ICONS}/vornal-player-192.png ${ICONS}/vornal-player-512.png
     DESTINATION ${SITE}/icons)

set(licences "What this site carries, and under which licences.\n\n"
    "VORNAL (the page, vnplayer-page.js and .wasm, the demo): MIT, below.\n"
    "vnplayer-page.wasm holds SDL2 (zlib licence) and libjpeg-turbo (IJG and BSD-style "
    "licences), built from Debian's sources, and emscripten's runtime, libc and libc++ "
    "(MIT, University of Illinois and Apache-2.0 with LLVM exception): their Debian copyright "
    "files follow.\n"
    "js-synthesizer.worklet.min.js: js-synthesizer (BSD-3-Clause), from npm.\n"
    "libfluidsynth-2.4.6.js: FluidSynth compiled to WebAssembly (fluidsynth-emscripten), "
    "LGPL-2.1, shipped by the npm package js-synthesizer; its source is that of "
    "fluidsynth-emscripten, version 2.4.6.\n"
    "TimGM6mb.sf2: the SoundFont of Debian's timgm6mb-soundfont package, GPL-2; the file "
    "itself is its source.\n")
foreach(notice IN LISTS NOTICES)
    file(READ ${notice} text)
    string(APPEND licences "\n==== ${notice}\n\n${text}")
endforeach()
file(WRITE ${SITE}/licences.txt "${licences}")

# Every file the page needs, for the service worker; its digests make the version.
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(SORT files)
set(digests "")
set(list "[\n  './',\n")
foreach(name IN LISTS files)
    file(SHA256 ${SITE}/${name} digest)
    string(APPEND digests "${digest} ${name}\n")
    string(APPEND list "  '${name}',\n")
endforeach()
string(APPEND list "]")
string(SHA256 VERSION "${digests}")
string(SUBSTRING ${VERSION} 0 16 VERSION)
set(FILES ${list})
configure_file(${SOURCES}/sw.js.in ${SITE}/sw.js @ONLY)
