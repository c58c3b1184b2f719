#pragma once
// The generated texts of the presentation: every building's keyword block, its cost/area
// file, and the column's rectangle variables. Russian texts are written in code page 1251.

namespace gen {

void WriteTextFiles();

} // namespace gen
