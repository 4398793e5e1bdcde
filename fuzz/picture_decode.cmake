# Picture bytes as BMP and JPEG through the player's decoders and their size limits.
vornal_add_fuzzer(picture_decode SOURCES PictureDecodeFuzz.cpp LIBS vornal_media)
