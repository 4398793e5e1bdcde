vornal_add_fuzzer(lzss_decode
    SOURCES lzss_decode.cpp ${PROJECT_SOURCE_DIR}/tests/codec/PlainLzss.cpp
    LIBS vornal_codec)
