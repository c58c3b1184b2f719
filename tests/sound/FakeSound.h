#pragma once
// A DirectSound device in memory for the sound tests: this Wine has no audio device, so
// DirectSoundCreate8 fails. Buffers keep their bytes and a playing flag; nothing is heard.

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <vector>

namespace test {

// The listener: what was set last, and how many commits.
class FakeListener final : public IDirectSound3DListener {
public:
    HRESULT WINAPI QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return ++refs; }
    ULONG WINAPI Release() override { return --refs; }
    HRESULT WINAPI GetAllParameters(LPDS3DLISTENER p) override { *p = params; return S_OK; }
    HRESULT WINAPI GetDistanceFactor(LPD3DVALUE) override { return E_NOTIMPL; }
    HRESULT WINAPI GetDopplerFactor(LPD3DVALUE) override { return E_NOTIMPL; }
    HRESULT WINAPI GetOrientation(LPD3DVECTOR, LPD3DVECTOR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetPosition(LPD3DVECTOR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetRolloffFactor(LPD3DVALUE) override { return E_NOTIMPL; }
    HRESULT WINAPI GetVelocity(LPD3DVECTOR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetAllParameters(LPCDS3DLISTENER p, DWORD apply) override;
    HRESULT WINAPI SetDistanceFactor(D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI SetDopplerFactor(D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI SetOrientation(D3DVALUE, D3DVALUE, D3DVALUE, D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI SetPosition(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI SetRolloffFactor(D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI SetVelocity(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI CommitDeferredSettings() override { ++commits; return S_OK; }

    DS3DLISTENER params{};
    DWORD lastApply = 0;
    ULONG refs = 1;
    int commits = 0;
};

// The 3D side of a buffer: position, velocity and distances as last set.
class Fake3DBuffer final : public IDirectSound3DBuffer {
public:
    HRESULT WINAPI QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return ++refs; }
    ULONG WINAPI Release() override { return --refs; }
    HRESULT WINAPI GetAllParameters(LPDS3DBUFFER) override { return E_NOTIMPL; }
    HRESULT WINAPI GetConeAngles(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetConeOrientation(LPD3DVECTOR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetConeOutsideVolume(LPLONG) override { return E_NOTIMPL; }
    HRESULT WINAPI GetMaxDistance(LPD3DVALUE) override { return E_NOTIMPL; }
    HRESULT WINAPI GetMinDistance(LPD3DVALUE) override { return E_NOTIMPL; }
    HRESULT WINAPI GetMode(LPDWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetPosition(LPD3DVECTOR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetVelocity(LPD3DVECTOR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetAllParameters(LPCDS3DBUFFER, DWORD) override { return S_OK; }
    HRESULT WINAPI SetConeAngles(DWORD, DWORD, DWORD) override { return S_OK; }
    HRESULT WINAPI SetConeOrientation(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return S_OK; }
    HRESULT WINAPI SetConeOutsideVolume(LONG, DWORD) override { return S_OK; }
    HRESULT WINAPI SetMaxDistance(D3DVALUE d, DWORD) override { maxDistance = d; return S_OK; }
    HRESULT WINAPI SetMinDistance(D3DVALUE d, DWORD) override { minDistance = d; return S_OK; }
    HRESULT WINAPI SetMode(DWORD, DWORD) override { return S_OK; }
    HRESULT WINAPI SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT WINAPI SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD) override { velocity = {x, y, z}; return S_OK; }

    D3DVECTOR position{}, velocity{};
    D3DVALUE minDistance = 0, maxDistance = 0;
    DWORD lastApply = 0;
    ULONG refs = 1;
};

class FakeBuffer final : public IDirectSoundBuffer {
public:
    explicit FakeBuffer(DWORD bytes) : data(bytes, 0xEE) {}
    // The 3D side for buffers made with DSBCAPS_CTRL3D.
    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override;
    ULONG WINAPI AddRef() override { return ++refs; }
    ULONG WINAPI Release() override;
    HRESULT WINAPI GetCaps(LPDSBCAPS) override { return E_NOTIMPL; }
    HRESULT WINAPI GetCurrentPosition(LPDWORD play, LPDWORD write) override;
    HRESULT WINAPI GetFormat(LPWAVEFORMATEX, DWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetVolume(LPLONG v) override { *v = volume; return S_OK; }
    HRESULT WINAPI GetPan(LPLONG) override { return E_NOTIMPL; }
    HRESULT WINAPI GetFrequency(LPDWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetStatus(LPDWORD status) override;
    HRESULT WINAPI Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return DSERR_ALREADYINITIALIZED; }
    HRESULT WINAPI Lock(DWORD offset, DWORD bytes, LPVOID* p1, LPDWORD n1, LPVOID* p2, LPDWORD n2, DWORD) override;
    HRESULT WINAPI Play(DWORD, DWORD, DWORD) override { playing = true; ++plays; return S_OK; }
    HRESULT WINAPI SetCurrentPosition(DWORD p) override { position = p; return S_OK; }
    HRESULT WINAPI SetFormat(LPCWAVEFORMATEX) override { return S_OK; }
    HRESULT WINAPI SetVolume(LONG v) override { volume = v; return S_OK; }
    HRESULT WINAPI SetPan(LONG) override { return S_OK; }
    HRESULT WINAPI SetFrequency(DWORD) override { return S_OK; }
    HRESULT WINAPI Stop() override { playing = false; return S_OK; }
    HRESULT WINAPI Unlock(LPVOID, DWORD, LPVOID, DWORD) override { locked = false; return S_OK; }
    HRESULT WINAPI Restore() override { lost = false; ++restores; return S_OK; }

    std::vector<BYTE> data;
    bool has3D = false;
    Fake3DBuffer buffer3D;
    ULONG refs = 1;
    bool playing = false, lost = false, locked = false;
    int plays = 0, restores = 0;
    DWORD position = 0;
    LONG volume = 0;
};

class FakeDevice final : public IDirectSound8 {
public:
    HRESULT WINAPI QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return ++refs; }
    ULONG WINAPI Release() override { return --refs; }
    HRESULT WINAPI CreateSoundBuffer(LPCDSBUFFERDESC desc, LPLPDIRECTSOUNDBUFFER out, IUnknown*) override;
    HRESULT WINAPI GetCaps(LPDSCAPS) override { return E_NOTIMPL; }
    HRESULT WINAPI DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPLPDIRECTSOUNDBUFFER out) override;
    HRESULT WINAPI SetCooperativeLevel(HWND, DWORD) override { return S_OK; }
    HRESULT WINAPI Compact() override { return S_OK; }
    HRESULT WINAPI GetSpeakerConfig(LPDWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI SetSpeakerConfig(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Initialize(LPCGUID) override { return DSERR_ALREADYINITIALIZED; }
    HRESULT WINAPI VerifyCertification(LPDWORD) override { return E_NOTIMPL; }

    ULONG refs = 1;
    int created = 0, duplicated = 0;
    int failAfter = -1;  // buffers made before creation starts to fail; -1 never
    std::vector<FakeBuffer*> buffers;  // every buffer made, alive or not
    ~FakeDevice();
};

} // namespace test
