#pragma once
// The seeds the inputs are made from: files of the sample run folder, the hand-made text
// files of tests/fuzz/seeds, and small binary files built here (TGA, BMP, WAVE, "TEX ").

#include <string>
#include <vector>

namespace fuzz {

// Files below the run folder's dir (relative, backslashes) whose names end with extension.
void AddSampleFiles(std::vector<std::string>& out, const char* dir, const char* extension);
// Every file of tests/fuzz/seeds/<folder>.
void AddHandMadeFiles(std::vector<std::string>& out, const char* folder);

void AddTgaSeeds(std::vector<std::string>& out);
void AddBmpSeeds(std::vector<std::string>& out);
void AddWaveSeeds(std::vector<std::string>& out);
void AddTexSeeds(std::vector<std::string>& out);

// The folder of a reader's findings in the source tree.
std::string FoundDir(const char* reader);

} // namespace fuzz
