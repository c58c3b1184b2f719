#pragma once
// Reads "System/Application.cfg" into the window settings, the device's present
// parameters and the core's globals. A missing file is reported and sets the exit code 1.

constexpr const char* APPLICATION_CONFIG_PATH = "System/Application.cfg";

void ReadApplicationConfig();
// The same reader on any path (tests).
void ReadApplicationConfigFrom(const char* path);
