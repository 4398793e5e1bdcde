vornal_add_fuzzer(lzss_roundtrip
    SOURCES lzss_roundtrip.cpp ${PROJECT_SOURCE_DIR}/tests/codec/PlainLzss.cpp
    LIBS vornal_codec)
if(VORNAL_FUZZ)
    # The plain scan is only the yardstick: coverage and sanitizers in it would slow the
    # fuzzer tenfold and find nothing in the product.
    set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/codec/PlainLzss.cpp PROPERTIES
        COMPILE_OPTIONS "-fno-sanitize=fuzzer-no-link,address,undefined;-O2")
endif()
