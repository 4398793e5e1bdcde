find_package(ZLIB REQUIRED)
find_package(JPEG REQUIRED)
vornal_add_bench(codec
    SOURCES CodecBench.cpp CodecCorpus.cpp ${PROJECT_SOURCE_DIR}/tests/codec/PlainLzss.cpp
    LIBS vornal_codec vornal_common ZLIB::ZLIB JPEG::JPEG)
