# The executor and the LZSS decoder natively and in WebAssembly under node, side by side
# (bench/web.sh). A plain program: the web build has no Google Benchmark.
if(NOT VORNAL_WEB)
    find_package(JPEG REQUIRED)
endif()
add_executable(bench_web WebBench.cpp CodecCorpus.cpp)
target_link_libraries(bench_web PRIVATE vornal_core JPEG::JPEG)
target_include_directories(bench_web PRIVATE ${PROJECT_SOURCE_DIR})
if(VORNAL_WEB)
    target_sources(bench_web PRIVATE ProcessorTimeNode.cpp)
    vornal_node_program(bench_web)
else()
    target_sources(bench_web PRIVATE ProcessorTime.cpp)
endif()
if(VORNAL_WEB_PAGE)
    # As the page's player is built (JavaScript exceptions, Asyncify over every call that may
    # wait), to weigh what waiting inside the engine costs.
    target_link_options(bench_web PRIVATE -sASYNCIFY=1)
endif()
