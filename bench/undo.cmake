# Undo levels and resume points on the demo game.
vornal_add_bench(undo SOURCES UndoBench.cpp LIBS vornal_core vornal_media)
target_compile_definitions(bench_undo PRIVATE VORNAL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
