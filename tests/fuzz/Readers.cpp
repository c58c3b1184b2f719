#include "tests/fuzz/Readers.h"

#include "core/Graphics.h"
#include "core/UsageParams.h"
#include "tests/support/BareDevice.h"

namespace fuzz {

bool NothingToSetUp()
{
    return true;
}

void NothingToTearDown() {}

bool DeviceSetUp()
{
    if (!test::EnsureBareDevice()) return false;
    gGraphics.vsLevel = gGraphics.psLevel = 30;
    ResetUsageParams();
    return true;
}

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
