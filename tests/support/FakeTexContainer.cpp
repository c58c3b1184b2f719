#include "tests/support/FakeTexContainer.h"

namespace test {

uint16_t FakeTexContainer::FindTexture(const char* name)
{
    requested.push_back(std::string("name:") + name);
    return 0;
}

uint16_t FakeTexContainer::LoadTexture(const char* path, uint32_t loadFlags)
{
    requested.push_back(path);
    flags.push_back(loadFlags);
    for (size_t i = 0; i < existing.size(); ++i)
        if (existing[i] == path) return uint16_t(i + 1);
    return 0;
}

} // namespace test
