#include "tests/fuzz/Readers.h"

namespace fuzz {

const std::vector<SFuzzReader>& FuzzReaders()
{
    static const std::vector<SFuzzReader> readers = [] {
        std::vector<SFuzzReader> all;
        AddCoreReaders(all);
        AddEngineReaders(all);
        return all;
    }();
    return readers;
}

const SFuzzReader* FindFuzzReader(const std::string& name)
{
    for (const SFuzzReader& reader : FuzzReaders())
        if (name == reader.name) return &reader;
    return nullptr;
}

} // namespace fuzz
