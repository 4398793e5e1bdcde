# The music through a real PulseAudio server (started by the benchmark): the player's CPU
# against FluidSynth's own player, and the timing of the notes.
find_package(Threads REQUIRED)
vornal_add_bench(pulse SOURCES PulseBench.cpp LIBS vornal_music_outputs Threads::Threads)
target_compile_definitions(bench_pulse PRIVATE VORNAL_PLAYER="$<TARGET_FILE:vnplayer>")
add_dependencies(bench_pulse vnplayer)
