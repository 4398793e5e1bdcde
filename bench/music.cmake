# The music: timer lateness, the cost of a step, synthesizer CPU, WAV render speed, onsets.
find_package(Threads REQUIRED)
vornal_add_bench(music SOURCES MusicBench.cpp LIBS vornal_music_outputs Threads::Threads)
