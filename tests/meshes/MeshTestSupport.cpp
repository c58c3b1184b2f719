#include "tests/meshes/MeshTestSupport.h"

#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshReader.h"
#include "core/UsageParams.h"
#include "tests/support/BareDevice.h"
#include "tests/support/Harness.h"

#include <windows.h>

namespace meshtest {

bool EnsureDevice()
{
    if (!test::EnsureBareDevice())
        return false;
    gGraphics.vsLevel = 30;
    return true;
}

std::string WriteMesh(const std::string& name, const std::string& text)
{
    static std::string dir = test::TempDir("meshes");
    std::string path = dir + "\\" + name;
    test::WriteFile(path, text);
    return path;
}

std::vector<uint8_t> ReadVB(const CMesh& mesh)
{
    std::vector<uint8_t> bytes;
    if (!mesh.vertexBuffer)
        return bytes;
    D3DVERTEXBUFFER_DESC desc;
    mesh.vertexBuffer->GetDesc(&desc);
    void* data = nullptr;
    if (FAILED(mesh.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)))
        return bytes;
    bytes.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + desc.Size);
    mesh.vertexBuffer->Unlock();
    return bytes;
}

std::vector<uint32_t> ReadIndices(const CMesh& mesh)
{
    std::vector<uint32_t> out;
    if (!mesh.indexBuffer)
        return out;
    D3DINDEXBUFFER_DESC desc;
    mesh.indexBuffer->GetDesc(&desc);
    void* data = nullptr;
    if (FAILED(mesh.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)))
        return out;
    bool wide = desc.Format == D3DFMT_INDEX32;
    size_t n = desc.Size / (wide ? 4 : 2);
    for (size_t i = 0; i < n; ++i)
        out.push_back(wide ? static_cast<uint32_t*>(data)[i] : static_cast<uint16_t*>(data)[i]);
    mesh.indexBuffer->Unlock();
    return out;
}

int Load(const std::string& path, CMesh& mesh, uint32_t format, int flags, SReserves reserves)
{
    ResetUsageParams();
    gUsageParams.vertices = reserves.vertices;
    gUsageParams.primitives = reserves.primitives;
    gUsageParams.submeshes = reserves.submeshes;
    const int code = LoadMesh(path.c_str(), &mesh, format, flags);
    ResetUsageParams();
    return code;
}

} // namespace meshtest
