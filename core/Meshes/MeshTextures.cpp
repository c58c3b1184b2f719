#include "core/Meshes/MeshTextures.h"

#include "core/Meshes/Mesh.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Messages.h"
#include "core/Strings.h"

#include <cstring>

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

void ResolveTexturePath(char* out, size_t cap, const char* name, const char*)
{
    StrCopy(out, cap, name ? name : "");
}

int LoadMeshTexture(const char* meshPath, const char* texturePath, CMesh*, int slot, int flags)
{
    gMeshStaging.AddFailedTexture(texturePath);
    if (flags & LOAD_MESH_QUIET_TEXTURES)
        return 0;
    const int nameSlot = slot >= MESH_MATERIAL_SLOT ? slot - MESH_MATERIAL_SLOT : slot;
    const char* name = nameSlot >= 0 && nameSlot < MESH_TEXTURE_SLOTS
                           ? gMeshStaging.textureNames[nameSlot]
                           : texturePath;
    MsgBox5("In mesh '", meshPath, "' \n\n  texture '", name,
            "' is not loaded: mesh textures are not supported.");
    return -10;
}
