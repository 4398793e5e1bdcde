vornal_add_fuzzer(lzss_roundtrip
    SOURCES lzss_roundtrip.cpp ${PROJECT_SOURCE_DIR}/tests/codec/PlainLzss.cpp
    LIBS vornal_codec)
