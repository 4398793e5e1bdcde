# The engine: opening and indexing, executor throughput, jump cost, matching.
vornal_add_bench(engine SOURCES EngineBench.cpp LIBS vornal_core)
