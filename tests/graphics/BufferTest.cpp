// Buffer creation choices and the lock stacks: last locked, first unlocked; refused and
// failed locks leave nothing locked and nothing recorded.

#include "core/GraphicsBuffers.h"
#include "core/Messages.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A buffer that records its unlocks in a shared list and can refuse to lock.
template <class Interface, class Desc>
class RecordingBuffer : public Interface {
public:
    RecordingBuffer(std::vector<void*>* unlocks, bool failLock = false)
        : unlocks_(unlocks), failLock_(failLock)
    {
    }
    int locks = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT, UINT, void** data, DWORD) override
    {
        if (failLock_)
            return D3DERR_INVALIDCALL;
        ++locks;
        *data = storage_;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override
    {
        --locks;
        unlocks_->push_back(this);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(Desc*) override { return E_NOTIMPL; }

private:
    std::vector<void*>* unlocks_;
    bool failLock_;
    char storage_[16] = {};
};
using RecordingIB = RecordingBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>;
using RecordingVB = RecordingBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>;

class LockStack : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, gLockedIBs.count);
        ASSERT_EQ(0, gLockedVBs.count);
        gImproperUnlockBudget = 3;
    }
    void TearDown() override
    {
        EXPECT_EQ(0, gLockedIBs.count);
        EXPECT_EQ(0, gLockedVBs.count);
    }
    test::MessageRecorder messages;
    std::vector<void*> unlocks;
};

TEST_F(LockStack, LastLockedIsUnlockedFirst)
{
    RecordingIB a(&unlocks), b(&unlocks);
    void *pa = nullptr, *pb = nullptr;
    LockIB(&a, &pa);
    LockIB(&b, &pb);
    EXPECT_NE(nullptr, pa);
    EXPECT_NE(nullptr, pb);
    UnlockIB();
    UnlockIB();
    EXPECT_EQ((std::vector<void*>{&b, &a}), unlocks);
    EXPECT_EQ(0, a.locks + b.locks);

    RecordingVB c(&unlocks), d(&unlocks);
    unlocks.clear();
    EXPECT_EQ(0, PushLockedVB(&c));
    EXPECT_EQ(0, PushLockedVB(&d));
    UnlockVB();
    UnlockVB();
    EXPECT_EQ((std::vector<void*>{&d, &c}), unlocks);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(LockStack, UnlockWithoutLockWarnsThreeTimesInAll)
{
    UnlockVB();
    UnlockVB();
    UnlockIB();
    UnlockIB();
    UnlockIB();
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Improper order in UnlockVB().", messages.Texts()[0]);
    EXPECT_EQ(std::string("Improper order in UnlockIB().") + WARNING_SKIP_TAIL,
              messages.Texts()[2]);
}

TEST_F(LockStack, FailedLockLeavesNoPointerAndNoRecord)
{
    RecordingIB a(&unlocks), broken(&unlocks, true);
    void *pa = nullptr, *p = &pa;
    LockIB(&a, &pa);
    LockIB(&broken, &p);
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(1, gLockedIBs.count);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Error in LockIB.", messages.Texts()[0]);
    UnlockIB();
    EXPECT_EQ((std::vector<void*>{&a}), unlocks);

    // No buffer: a null pointer and no message; no out-pointer: nothing locked.
    LockIB(nullptr, &p);
    EXPECT_EQ(nullptr, p);
    LockIB(&a, nullptr);
    EXPECT_EQ(0, a.locks);
    EXPECT_EQ(1u, messages.Count());
}

TEST_F(LockStack, ALockBeyondTheLimitIsRefusedAndLeftUnlocked)
{
    std::vector<std::unique_ptr<RecordingIB>> ibs;
    std::vector<std::unique_ptr<RecordingVB>> vbs;
    for (int i = 0; i <= LOCK_STACK_SIZE; ++i) {
        ibs.push_back(std::make_unique<RecordingIB>(&unlocks));
        vbs.push_back(std::make_unique<RecordingVB>(&unlocks));
    }
    void* p = nullptr;
    for (int i = 0; i < LOCK_STACK_SIZE; ++i) {
        LockIB(ibs[i].get(), &p);
        void* data = nullptr;
        vbs[i]->Lock(0, 0, &data, 0);
        EXPECT_EQ(0, PushLockedVB(vbs[i].get()));
    }
    EXPECT_EQ(0u, messages.Count());
    LockIB(ibs.back().get(), &p);
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(0, ibs.back()->locks);
    void* data = nullptr;
    vbs.back()->Lock(0, 0, &data, 0);
    EXPECT_EQ(-1, PushLockedVB(vbs.back().get()));
    EXPECT_EQ(0, vbs.back()->locks);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ(0u, messages.Texts()[0].find("PROGRAMMER LIMIT: "));
    EXPECT_EQ(0u, messages.Texts()[1].find("PROGRAMMER LIMIT: "));

    unlocks.clear();
    for (int i = 0; i < LOCK_STACK_SIZE; ++i) {
        UnlockIB();
        UnlockVB();
    }
    for (int i = 0; i < LOCK_STACK_SIZE; ++i) {
        EXPECT_EQ(ibs[LOCK_STACK_SIZE - 1 - i].get(), unlocks[2 * i]);
        EXPECT_EQ(vbs[LOCK_STACK_SIZE - 1 - i].get(), unlocks[2 * i + 1]);
    }
}

TEST(Buffers, CreationUsesTheFixedUsageAndPool)
{
    test::TestDevice device;
    ASSERT_EQ(0, device.Init());
    struct {
        IDirect3DVertexBuffer9* vb;
        DWORD usage;
        D3DPOOL pool;
    } vbs[] = {{CreateVB(96, D3DFVF_XYZ), 0, D3DPOOL_MANAGED},
               {CreateDynamicVB(96, D3DFVF_XYZ), 24, D3DPOOL_SYSTEMMEM}};
    for (auto& v : vbs) {
        ASSERT_NE(nullptr, v.vb);
        D3DVERTEXBUFFER_DESC desc;
        v.vb->GetDesc(&desc);
        EXPECT_EQ(v.usage, desc.Usage);
        EXPECT_EQ(v.pool, desc.Pool);
        EXPECT_EQ(DWORD(D3DFVF_XYZ), desc.FVF);
        EXPECT_EQ(96u, desc.Size);
        v.vb->Release();
    }
    struct {
        IDirect3DIndexBuffer9* ib;
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
    } ibs[] = {{CreateIB16(64), 8, D3DFMT_INDEX16, D3DPOOL_MANAGED},
               {CreateIB32(64), 8, D3DFMT_INDEX32, D3DPOOL_MANAGED},
               {CreateDynamicIB16(64), 24, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM}};
    for (auto& b : ibs) {
        ASSERT_NE(nullptr, b.ib);
        D3DINDEXBUFFER_DESC desc;
        b.ib->GetDesc(&desc);
        EXPECT_EQ(b.usage, desc.Usage);
        EXPECT_EQ(b.format, desc.Format);
        EXPECT_EQ(b.pool, desc.Pool);
    }
    // A real buffer through the stack.
    void* data = nullptr;
    LockIB(ibs[0].ib, &data);
    ASSERT_NE(nullptr, data);
    static_cast<WORD*>(data)[0] = 7;
    UnlockIB();
    EXPECT_EQ(0, gLockedIBs.count);
    for (auto& b : ibs)
        b.ib->Release();
    EXPECT_EQ(nullptr, CreateVB(0, D3DFVF_XYZ));  // an empty buffer is refused
}

} // namespace
