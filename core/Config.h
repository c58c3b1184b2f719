#pragma once
// Reads "System/Application.cfg" into the window settings, the device's present
// parameters, clear flags and colour, the input's cooperative levels and the core's
// globals. A missing file is reported and sets the exit code 1; unknown value words are
// reported and reading goes on; unknown keys are skipped silently.

constexpr const char* APPLICATION_CONFIG_PATH = "System/Application.cfg";

void ReadApplicationConfig();
// The same reader on any path (tests).
void ReadApplicationConfigFrom(const char* path);
