#pragma once
// Word reading for the engine's script readers until the shared keyword scanner is in the
// tree: blank-separated words, "//" and "/*" comments skipped at the start of a word.

#include <cstddef>
#include <cstdio>

// Reads one word into out (at most size - 1 characters); out is empty at the end of file.
void ReadScriptWord(FILE* file, char* out, size_t size);
