# Opening and playing arbitrary script text with arbitrary typed commands.
vornal_add_fuzzer(engine_script SOURCES EngineScriptFuzz.cpp LIBS vornal_core)
