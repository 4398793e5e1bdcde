# Any bytes as a save file, loaded into an opened game.
vornal_add_fuzzer(save_load SOURCES SaveLoadFuzz.cpp LIBS vornal_core vornal_media)
