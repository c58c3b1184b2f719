#pragma once
// Where the generated files go: one run folder, paths written with backslashes as the program
// names them, turned into this host's separators here.

#include <string>

namespace gen {

void SetOutputRoot(const std::string& root);
// Writes the bytes, creating folders; exits the generator with a message on failure.
void WriteOutput(const std::string& programPath, const std::string& bytes);

} // namespace gen
