#include "tools/benchmark/ImportHook.h"

#include <windows.h>

#include <cstdint>

namespace bench {

namespace {

uint8_t* ImageBase()
{
    return reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
}

const IMAGE_NT_HEADERS* NtHeaders()
{
    const uint8_t* base = ImageBase();
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

} // namespace

void* HookImport(const char* dll, const char* function, void* replacement)
{
    HMODULE module = GetModuleHandleA(dll);
    void* target = module ? reinterpret_cast<void*>(GetProcAddress(module, function)) : nullptr;
    if (!target)
        return nullptr;
    uint8_t* base = ImageBase();
    const IMAGE_DATA_DIRECTORY& dir =
        NtHeaders()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; dir.VirtualAddress && entry->Name; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
            continue;
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; slot->u1.Function; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != target)
                continue;
            DWORD old = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
            return target;
        }
    }
    return nullptr;
}

bool InThisExecutable(const void* address)
{
    const uint8_t* base = ImageBase();
    const auto* p = static_cast<const uint8_t*>(address);
    return p >= base && p < base + NtHeaders()->OptionalHeader.SizeOfImage;
}

} // namespace bench
