#include "core/Meshes/MeshTextures.h"

#include "core/Meshes/Mesh.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "core/Textures.h"

#include <windows.h>

#include <cstring>
#include <string>

CMeshTextureTable gMeshTextures;

void SMeshTexture::Clear()
{
    texture = nullptr;
    reserved = 0;
    desc = D3DSURFACE_DESC{};
}

int CMeshTextureTable::Find(const char* path) const
{
    char lower[MESH_TEXTURE_NAME_SIZE];
    StrLowerCopy(lower, path);
    for (int i = 0; i < MAX_MESH_TEXTURES; ++i)
        if (entries[i].refCount > 0 && StrEqual(entries[i].name, lower))
            return i;
    return -1;
}

int CMeshTextureTable::Add(const char* path, IDirect3DTexture9* texture)
{
    if (!texture || !path || !path[0])
        return -1;
    for (int i = 0; i < MAX_MESH_TEXTURES; ++i) {
        SMeshTexture& e = entries[i];
        if (e.refCount != 0)
            continue;
        e.refCount = 1;
        StrLowerCopy(e.name, path);
        e.texture = texture;
        texture->GetLevelDesc(0, &e.desc);
        return i;
    }
    MsgBox("PROGRAMMER LIMIT: MAX_MeshTexture.");
    return -1;
}

IDirect3DTexture9* CMeshTextureTable::AddRef(int index)
{
    if (index < 0 || index >= MAX_MESH_TEXTURES || entries[index].refCount <= 0)
        return nullptr;
    ++entries[index].refCount;
    return entries[index].texture;
}

int CMeshTextureTable::AddRef(const STextureSlot& slot, IDirect3DTexture9** texture)
{
    IDirect3DTexture9* held = AddRef(slot.index);
    if (texture)
        *texture = held;
    return held ? slot.index : -1;
}

int CMeshTextureTable::Release(int index)
{
    if (index < 0 || index >= MAX_MESH_TEXTURES || entries[index].refCount <= 0)
        return 0;
    SMeshTexture& e = entries[index];
    if (--e.refCount > 0)
        return 0;
    e.refCount = 0;
    if (e.texture)
        e.texture->Release();
    e.Clear();
    e.name[0] = 0;
    return 1;
}

namespace {

bool UseIfExists(char* out, size_t cap, const std::string& candidate)
{
    if (!FileExists(candidate.c_str()))
        return false;
    StrCopy(out, cap, candidate.c_str());
    return true;
}

// The target of a slot: a texture slot of the mesh, or from MESH_MATERIAL_SLOT on the
// texture of that material; null when there is none.
bool SlotTarget(CMesh* mesh, int slot, IDirect3DTexture9*** texture, int** index)
{
    if (!mesh)
        return false;
    if (slot >= 0 && slot < MESH_TEXTURE_SLOTS) {
        *texture = &mesh->textures[slot].texture;
        *index = &mesh->textures[slot].index;
        return true;
    }
    const int material = slot - MESH_MATERIAL_SLOT;
    if (material < 0 || material >= mesh->materialCount || !mesh->materials)
        return false;
    *texture = &mesh->materials[material].texture;
    *index = &mesh->materials[material].textureIndex;
    return true;
}

IDirect3DTexture9* LoadTextureFile(const char* path, HRESULT* error)
{
    IDirect3DTexture9* texture = nullptr;
    if (LoadGarbleTexture(path, &texture))
        return texture;
    if (!PlatformMayDecode(path)) {
        *error = E_FAIL;
        return nullptr;
    }
    *error = D3DXCreateTextureFromFileExA(Device3D, path, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
                                          D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                          gGraphics.textureColorKey, nullptr, nullptr, &texture);
    return SUCCEEDED(*error) ? texture : nullptr;
}

// The texture folder beside the mesh folder the mesh lies in: the mesh path before the
// mesh folder, the texture folder, then the name (an absolute name from after its own
// texture folder on). Empty when an absolute name has no texture folder in it.
std::string TextureFolderCandidate(const char* name, const char* meshPath)
{
    char root[MAX_PATH] = {};
    SplitString(root, sizeof root, meshPath ? meshPath : "", gCore.meshDir);
    char tail[MAX_PATH] = {};
    if (IsAbsolutePath(name))
        SplitStringAfter(tail, sizeof tail, name, gTexturesPath);
    else
        StrCopy(tail, sizeof tail, name);
    return tail[0] ? std::string(root) + gTexturesPath + tail : std::string();
}

} // namespace

// As written when the file exists; else under the texture folder of the program; else in
// the texture folder beside the mesh folder; else in the program folder; else the file
// name next to the mesh.
void ResolveTexturePath(char* out, size_t cap, const char* name, const char* meshPath)
{
    out[0] = 0;
    if (!name || !name[0])
        return;
    if (IsAbsolutePath(name) && UseIfExists(out, cap, name))
        return;
    if (UseIfExists(out, cap, std::string(gBaseDir) + gTexturesPath + name))
        return;
    const std::string beside = TextureFolderCandidate(name, meshPath);
    if (!beside.empty() && UseIfExists(out, cap, beside))
        return;
    if (UseIfExists(out, cap, std::string(gBaseDir) + name))
        return;
    char folder[MAX_PATH];
    char file[MAX_PATH];
    ExtractFilePath(folder, meshPath ? meshPath : "");
    ExtractFileName(file, name);
    StrCopy(out, cap, (std::string(folder) + file).c_str());
}

int LoadMeshTexture(const char* meshPath, const char* texturePath, CMesh* mesh, int slot, int flags)
{
    IDirect3DTexture9** target = nullptr;
    int* targetIndex = nullptr;
    if (!SlotTarget(mesh, slot, &target, &targetIndex))
        return -10;
    const int found = gMeshTextures.Find(texturePath);
    if (found >= 0) {
        *target = gMeshTextures.AddRef(found);
        *targetIndex = found;
        return 0;
    }
    HRESULT error = E_FAIL;
    IDirect3DTexture9* texture = LoadTextureFile(texturePath, &error);
    if (texture) {
        *targetIndex = gMeshTextures.Add(texturePath, texture);
        *target = *targetIndex >= 0 ? texture : nullptr;
        if (*targetIndex < 0)
            texture->Release();
        return 0;
    }
    gMeshStaging.AddFailedTexture(texturePath);
    if (flags & LOAD_MESH_QUIET_TEXTURES)
        return 0;
    const int nameSlot = slot >= MESH_MATERIAL_SLOT ? slot - MESH_MATERIAL_SLOT : slot;
    const char* name = nameSlot >= 0 && nameSlot < MESH_TEXTURE_SLOTS ? gMeshStaging.textureNames[nameSlot]
                                                                        : texturePath;
    if (!FileExists(texturePath)) {
        MsgBox5("In mesh:  '", meshPath, "' \n\n  texture file:  '", name, "'  not found");
        return -1;
    }
    if (error == D3DERR_NOTAVAILABLE) {
        MsgBox5("In mesh '", meshPath, "' \n\n  for texture '", name, "' error: <D3DERR_NOTAVAILABLE>");
        return -2;
    }
    MsgBox5("In mesh '", meshPath, "' \n\n  for texture '", name, "' undefine error");
    return -10;
}
