#include "FakeSound.h"

#include <cstring>

namespace test {

HRESULT FakeListener::SetAllParameters(LPCDS3DLISTENER p, DWORD apply)
{
    params = *p;
    lastApply = apply;
    return S_OK;
}

HRESULT Fake3DBuffer::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply)
{
    position = {x, y, z};
    lastApply = apply;
    return S_OK;
}

HRESULT FakeBuffer::QueryInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (!has3D || !IsEqualGUID(iid, IID_IDirectSound3DBuffer)) return E_NOINTERFACE;
    buffer3D.AddRef();
    *out = &buffer3D;
    return S_OK;
}

ULONG FakeBuffer::Release()
{
    return --refs;
}

HRESULT FakeBuffer::GetCurrentPosition(LPDWORD play, LPDWORD write)
{
    if (play) *play = position;
    if (write) *write = position;
    return S_OK;
}

HRESULT FakeBuffer::GetStatus(LPDWORD status)
{
    *status = (playing ? DSBSTATUS_PLAYING : 0) | (lost ? DSBSTATUS_BUFFERLOST : 0);
    return S_OK;
}

HRESULT FakeBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* p1, LPDWORD n1, LPVOID* p2, LPDWORD n2, DWORD)
{
    if (lost) return DSERR_BUFFERLOST;
    if (offset + bytes > data.size()) return DSERR_INVALIDPARAM;
    *p1 = data.data() + offset;
    *n1 = bytes;
    if (p2) *p2 = nullptr;
    if (n2) *n2 = 0;
    locked = true;
    return S_OK;
}

HRESULT FakeDevice::CreateSoundBuffer(LPCDSBUFFERDESC desc, LPLPDIRECTSOUNDBUFFER out, IUnknown*)
{
    *out = nullptr;
    if (failAfter >= 0 && created + duplicated >= failAfter) return DSERR_OUTOFMEMORY;
    buffers.push_back(new FakeBuffer(desc->dwBufferBytes));
    buffers.back()->has3D = (desc->dwFlags & DSBCAPS_CTRL3D) != 0;
    ++created;
    *out = buffers.back();
    return S_OK;
}

HRESULT FakeDevice::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPLPDIRECTSOUNDBUFFER out)
{
    *out = nullptr;
    if (failAfter >= 0 && created + duplicated >= failAfter) return DSERR_OUTOFMEMORY;
    const auto* source = static_cast<FakeBuffer*>(original);
    buffers.push_back(new FakeBuffer(DWORD(source->data.size())));
    buffers.back()->data = source->data;
    buffers.back()->has3D = source->has3D;
    ++duplicated;
    *out = buffers.back();
    return S_OK;
}

FakeDevice::~FakeDevice()
{
    for (FakeBuffer* buffer : buffers) delete buffer;
}

} // namespace test
