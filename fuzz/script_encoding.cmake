# Reading arbitrary bytes as a script in either encoding, and as a walkthrough.
vornal_add_fuzzer(script_encoding SOURCES ScriptEncodingFuzz.cpp LIBS vornal_author)
