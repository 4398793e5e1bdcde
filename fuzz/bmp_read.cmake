# Bitmap bytes through the reader of the web build (which has no Qt) and its size limits.
vornal_add_fuzzer(bmp_read SOURCES BmpReadFuzz.cpp LIBS vornal_media)
