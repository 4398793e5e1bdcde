# Saving and loading a game with a 640 x 480 picture.
vornal_add_bench(saveload SOURCES SaveLoadBench.cpp LIBS vornal_core vornal_media)
