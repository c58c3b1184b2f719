#pragma once
// A texture container stand-in for tests without a device: it "loads" the paths it was told
// exist (index = position + 1) and records every request, by path or by name.

#include "engine/TexContainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace test {

class FakeTexContainer : public ITexContainer {
public:
    CEngineTex* GetTex(uint16_t) override { return nullptr; }
    IDirect3DTexture9* GetTexture(uint16_t) override { return nullptr; }
    IDirect3DSurface9* GetSurface(uint16_t) override { return nullptr; }
    // Records "name:" and the name; finds nothing.
    uint16_t FindTexture(const char* name) override;
    uint16_t FindTexturePath(const char*) override { return 0; }
    uint16_t LoadTexture(const char* path, uint32_t flags) override;
    uint16_t CreateTexture(int, int, uint32_t, D3DFORMAT, D3DPOOL, int) override { return 0; }
    void ReleaseTexture(uint16_t) override {}

    std::vector<std::string> existing;
    std::vector<std::string> requested;
    std::vector<uint32_t> flags;  // of each load, in order
};

} // namespace test
