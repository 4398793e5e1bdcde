# Any bytes as a resume point, resumed into an opened game.
vornal_add_fuzzer(resume_load SOURCES ResumeLoadFuzz.cpp LIBS vornal_core vornal_media)
