#pragma once
// Vertex and index buffer creation with fixed usage and pool choices, and the lock stacks:
// every lock is recorded (at most 32 at once) and released without argument, last locked
// first. A lock beyond the limit is refused with a message; an unlock with nothing locked
// is a counted warning.

#include <d3d9.h>

constexpr int LOCK_STACK_SIZE = 32;

template <class T>
struct TLockStack {
    int count;
    T* buffers[LOCK_STACK_SIZE];
};

extern TLockStack<IDirect3DVertexBuffer9> gLockedVBs;
extern TLockStack<IDirect3DIndexBuffer9> gLockedIBs;
// Shared by the two "Improper order" warnings.
extern int gImproperUnlockBudget;

IDirect3DVertexBuffer9* CreateVB(UINT length, DWORD fvf);
IDirect3DVertexBuffer9* CreateDynamicVB(UINT length, DWORD fvf);
IDirect3DIndexBuffer9* CreateIB16(UINT length);
IDirect3DIndexBuffer9* CreateIB32(UINT length);
IDirect3DIndexBuffer9* CreateDynamicIB16(UINT length);

// Records a vertex buffer the caller has just locked: 0, or -1 when 32 are already recorded
// (the buffer is then unlocked again and the caller must drop its data pointer).
int PushLockedVB(IDirect3DVertexBuffer9* vb);
void UnlockVB();
// Locks the whole buffer and records it; *data is null when nothing was locked.
void LockIB(IDirect3DIndexBuffer9* ib, void** data);
void UnlockIB();
