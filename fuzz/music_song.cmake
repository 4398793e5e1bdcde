# Any bytes as a song, played to its end on the simulated clock.
vornal_add_fuzzer(music_song SOURCES MusicSongFuzz.cpp LIBS vornal_music)
