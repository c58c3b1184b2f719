#pragma once
// Reads "System/Application.cfg" into the window settings, the device's present
// parameters, clear flags and colour, the input's cooperative levels and the core's
// globals. A missing file is reported and sets the exit code 1; unknown value words are
// reported (each kind once) and reading goes on; unknown keys are skipped silently. Every
// word is cut to its field: the rest of a longer one is passed over, never read as a word.

constexpr const char* APPLICATION_CONFIG_PATH = "System/Application.cfg";

void ReadApplicationConfig();
// The same reader on any path (tests).
void ReadApplicationConfigFrom(const char* path);
