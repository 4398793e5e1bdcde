# The media: decoding and drawing pictures, the start of a sound effect.
vornal_add_bench(media SOURCES MediaBench.cpp LIBS vornal_media)
