# WAV bytes through SDL's loader and the conversion to a device's format.
vornal_add_fuzzer(wav_load SOURCES WavLoadFuzz.cpp LIBS vornal_media)
