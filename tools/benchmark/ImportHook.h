#pragma once
// Redirects calls that this executable makes to a system DLL: the import table entry of
// dll!function is overwritten, so the program's own code (linked into this executable)
// calls the replacement. Calls from inside other DLLs are not affected.

namespace bench {

// The replaced address, or null when this executable does not import the function.
void* HookImport(const char* dll, const char* function, void* replacement);

// True when the code address lies inside this executable (not in a system DLL).
bool InThisExecutable(const void* address);

} // namespace bench
