#include "core/GraphicsBuffers.h"

#include "core/Graphics.h"
#include "core/Messages.h"

TLockStack<IDirect3DVertexBuffer9> gLockedVBs;
TLockStack<IDirect3DIndexBuffer9> gLockedIBs;
int gImproperUnlockBudget = 3;

namespace {

constexpr DWORD DYNAMIC_USAGE = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING;

IDirect3DVertexBuffer9* MakeVB(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    if (FAILED(Device3D->CreateVertexBuffer(length, usage, fvf, pool, &vb, nullptr)))
        return nullptr;
    return vb;
}

IDirect3DIndexBuffer9* MakeIB(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
{
    IDirect3DIndexBuffer9* ib = nullptr;
    if (FAILED(Device3D->CreateIndexBuffer(length, usage, format, pool, &ib, nullptr)))
        return nullptr;
    return ib;
}

template <class T>
void UnlockTop(TLockStack<T>& stack, const char* improper, const char* failed)
{
    if (stack.count == 0) {
        WarningBox(&gImproperUnlockBudget, improper, nullptr);
        return;
    }
    T* buffer = stack.buffers[--stack.count];
    stack.buffers[stack.count] = nullptr;
    if (buffer && FAILED(buffer->Unlock()))
        MsgBox(failed);
}

} // namespace

IDirect3DVertexBuffer9* CreateVB(UINT length, DWORD fvf)
{
    return MakeVB(length, 0, fvf, D3DPOOL_MANAGED);
}

IDirect3DVertexBuffer9* CreateDynamicVB(UINT length, DWORD fvf)
{
    return MakeVB(length, DYNAMIC_USAGE, fvf, D3DPOOL_SYSTEMMEM);
}

IDirect3DIndexBuffer9* CreateIB16(UINT length)
{
    return MakeIB(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED);
}

IDirect3DIndexBuffer9* CreateIB32(UINT length)
{
    return MakeIB(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
}

IDirect3DIndexBuffer9* CreateDynamicIB16(UINT length)
{
    return MakeIB(length, DYNAMIC_USAGE, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM);
}

int PushLockedVB(IDirect3DVertexBuffer9* vb)
{
    if (gLockedVBs.count >= LOCK_STACK_SIZE) {
        if (vb)
            vb->Unlock();
        MsgBox("PROGRAMMER LIMIT: more than 32 vertex buffers locked at once.");
        return -1;
    }
    gLockedVBs.buffers[gLockedVBs.count++] = vb;
    return 0;
}

void UnlockVB()
{
    UnlockTop(gLockedVBs, "Improper order in UnlockVB().", "Error in UnlockVB.");
}

void LockIB(IDirect3DIndexBuffer9* ib, void** data)
{
    if (!data)
        return;
    *data = nullptr;
    if (!ib)
        return;
    if (gLockedIBs.count >= LOCK_STACK_SIZE) {
        MsgBox("PROGRAMMER LIMIT: more than 32 index buffers locked at once.");
        return;
    }
    if (FAILED(ib->Lock(0, 0, data, 0))) {
        *data = nullptr;
        MsgBox("Error in LockIB.");
        return;
    }
    gLockedIBs.buffers[gLockedIBs.count++] = ib;
}

void UnlockIB()
{
    UnlockTop(gLockedIBs, "Improper order in UnlockIB().", "Error in UnlockIB.");
}
