#include "core/Sound.h"

#include "core/Messages.h"
#include "core/Paths.h"

#include <cstdlib>
#include <cstring>

CSoundManager gSoundManager;

namespace {

template <class T>
void ReleaseCom(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

// The primary buffer's format: 16-bit stereo at 22050 Hz.
WAVEFORMATEX PrimaryFormat()
{
    WAVEFORMATEX wf{};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = 2;
    wf.nSamplesPerSec = 22050;
    wf.wBitsPerSample = 16;
    wf.nBlockAlign = 4;
    wf.nAvgBytesPerSec = 88200;
    return wf;
}

} // namespace

// ---- CSound ----

CSound::CSound(std::vector<IDirectSoundBuffer*> sourceBuffers, DWORD creationFlags, std::unique_ptr<CWaveFile> file)
    : buffers(std::move(sourceBuffers)), flags(creationFlags), wave(std::move(file))
{
    if (!buffers.empty()) FillBuffer(buffers[0]);
}

CSound::~CSound()
{
    for (IDirectSoundBuffer*& buffer : buffers) ReleaseCom(buffer);
}

HRESULT CSound::RestoreBuffer(IDirectSoundBuffer* buffer, bool* wasLost)
{
    *wasLost = false;
    DWORD status = 0;
    const HRESULT hr = buffer->GetStatus(&status);
    if (FAILED(hr)) return hr;
    if (!(status & DSBSTATUS_BUFFERLOST)) return S_OK;
    *wasLost = true;
    HRESULT restored;
    while ((restored = buffer->Restore()) == DSERR_BUFFERLOST) Sleep(10);
    return restored;
}

HRESULT CSound::FillBuffer(IDirectSoundBuffer* buffer)
{
    if (!buffer || !wave) return CO_E_NOTINITIALIZED;
    bool lost = false;
    HRESULT hr = RestoreBuffer(buffer, &lost);
    if (FAILED(hr)) return hr;
    void* data = nullptr;
    DWORD locked = 0;
    hr = buffer->Lock(0, wave->GetSize(), &data, &locked, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    DWORD read = 0;
    hr = wave->ResetFile();
    if (SUCCEEDED(hr)) hr = wave->Read(static_cast<BYTE*>(data), locked, &read);
    const WAVEFORMATEX* format = wave->GetFormat();
    const int silence = format && format->wBitsPerSample == 8 ? 128 : 0;
    if (read < locked) memset(static_cast<BYTE*>(data) + read, silence, locked - read);
    buffer->Unlock(data, locked, nullptr, 0);
    return hr;
}

IDirectSoundBuffer* CSound::FreeBuffer() const
{
    for (IDirectSoundBuffer* buffer : buffers) {
        DWORD status = 0;
        if (SUCCEEDED(buffer->GetStatus(&status)) && !(status & DSBSTATUS_PLAYING)) return buffer;
    }
    return nullptr;
}

HRESULT CSound::Play(DWORD playFlags, LONG volume)
{
    IDirectSoundBuffer* buffer = FreeBuffer();
    if (!buffer) return SOUND_ALL_PLAYING;
    bool lost = false;
    if (FAILED(RestoreBuffer(buffer, &lost))) return SOUND_RESTORE_FAILED;
    if (lost && FAILED(FillBuffer(buffer))) return SOUND_REFILL_FAILED;
    current = buffer;
    if (flags & DSBCAPS_CTRLVOLUME) buffer->SetVolume(volume);
    return buffer->Play(0, 0, playFlags);
}

HRESULT CSound::Get3DBuffer(IDirectSound3DBuffer** out) const
{
    *out = nullptr;
    if (!current) return CO_E_NOTINITIALIZED;
    return current->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(out));
}

HRESULT CSound::Play3D(const D3DVECTOR& position, DWORD playFlags, LONG volume, float minDistance,
                       float maxDistance)
{
    HRESULT hr = Play(playFlags, volume);
    if (hr != S_OK) return hr;
    IDirectSound3DBuffer* buffer3d = nullptr;
    hr = Get3DBuffer(&buffer3d);
    if (FAILED(hr)) return hr;
    buffer3d->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED);
    buffer3d->SetMinDistance(minDistance, DS3D_DEFERRED);
    buffer3d->SetMaxDistance(maxDistance, DS3D_DEFERRED);
    buffer3d->Release();
    return S_OK;
}

void CSound::StopBuffer(IDirectSoundBuffer* buffer)
{
    if (!buffer) return;
    buffer->Stop();
    buffer->SetCurrentPosition(0);
}

void CSound::Stop()
{
    for (IDirectSoundBuffer* buffer : buffers) StopBuffer(buffer);
}

HRESULT CSound::Set3DPosition(const D3DVECTOR& position, const D3DVECTOR* velocity)
{
    IDirectSound3DBuffer* buffer3d = nullptr;
    const HRESULT hr = Get3DBuffer(&buffer3d);
    if (FAILED(hr)) return hr;
    buffer3d->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED);
    if (velocity) buffer3d->SetVelocity(velocity->x, velocity->y, velocity->z, DS3D_DEFERRED);
    buffer3d->Release();
    return S_OK;
}

HRESULT CSound::StartAtRandomPosition()
{
    if (!current || !wave) return CO_E_NOTINITIALIZED;
    return current->SetCurrentPosition(DWORD(double(wave->GetSize()) * (rand() / 32768.0)));
}

// ---- CSoundManager ----

HRESULT CSoundManager::Init(HWND hwnd)
{
    if (device) return S_OK;
    window = hwnd;
    HRESULT hr = DirectSoundCreate8(nullptr, &device, nullptr);
    if (FAILED(hr)) {
        device = nullptr;
        MsgBox("DirectSound is not create.");
        return hr;
    }
    hr = device->SetCooperativeLevel(hwnd, DSSCL_PRIORITY);
    if (FAILED(hr)) {
        MsgBox("DirectSound:  Error in SetCooperativeLevel.");
        ReleaseCom(device);
        return hr;
    }
    return OpenPrimary();
}

// The listener comes from the primary buffer, which is not kept once its format is set.
HRESULT CSoundManager::OpenPrimary()
{
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    IDirectSoundBuffer* primary = nullptr;
    HRESULT hr = device->CreateSoundBuffer(&desc, &primary, nullptr);
    if (FAILED(hr)) {
        MsgBox("DirectSound:  Error in CreateSoundBuffer(Primary).");
        return hr;
    }
    hr = primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener));
    if (FAILED(hr)) {
        listener = nullptr;
        primary->Release();
        return hr;
    }
    listenerParams = DS3DLISTENER{};
    listenerParams.dwSize = sizeof listenerParams;
    listener->GetAllParameters(&listenerParams);
    const WAVEFORMATEX format = PrimaryFormat();
    hr = primary->SetFormat(&format);
    if (FAILED(hr)) MsgBox("DirectSound:  Error in PrimaryBuffer->SetFormat.");
    primary->Release();
    return hr;
}

void CSoundManager::Shutdown()
{
    ReleaseCom(listener);
    ReleaseCom(device);
    listenerChanged = 0;
}

void CSoundManager::ApplyListener()
{
    if (!listener) return;
    listener->SetAllParameters(&listenerParams, DS3D_DEFERRED);
    listenerChanged = 1;
}

void CSoundManager::SetListenerFactors(float minimum, float maximum, float rolloff, float doppler)
{
    minDistance = minimum;
    maxDistance = maximum;
    listenerParams.flRolloffFactor = rolloff;
    listenerParams.flDopplerFactor = doppler;
    ApplyListener();
}

void CSoundManager::SetListenerPosition(const D3DVECTOR& position, const D3DVECTOR& front)
{
    listenerParams.vPosition = position;
    listenerParams.vOrientFront = front;
    ApplyListener();
}

void CSoundManager::CommitListener()
{
    if (!listenerChanged || !listener) return;
    listenerChanged = 0;
    listener->CommitDeferredSettings();
}

HRESULT CSoundManager::CreateBuffers(const DSBUFFERDESC& desc, DWORD count, std::vector<IDirectSoundBuffer*>& out)
{
    for (DWORD i = 0; i < count; ++i) {
        IDirectSoundBuffer* buffer = nullptr;
        const HRESULT hr = (i == 0 || (desc.dwFlags & DSBCAPS_CTRLFX))
                               ? device->CreateSoundBuffer(&desc, &buffer, nullptr)
                               : device->DuplicateSoundBuffer(out[0], &buffer);
        if (FAILED(hr)) return hr;
        out.push_back(buffer);
    }
    return S_OK;
}

HRESULT CSoundManager::LoadSound(std::unique_ptr<CSound>* out, const char* file, DWORD creationFlags,
                                 DWORD bufferCount)
{
    out->reset();
    if (!device) return 0;
    if (!file || !FileExists(file)) {
        MsgBox3("Sound file '", file ? file : "", "' not found.");
        return SOUND_MISSING;
    }
    auto wave = std::make_unique<CWaveFile>();
    const HRESULT opened = wave->Open(file, nullptr, WAVEFILE_READ);
    // A readable format without a "data" chunk is a file without sound, like an empty one.
    const bool noData = opened == WAVE_NO_DATA && wave->GetFormat();
    if (!noData && (FAILED(opened) || !wave->GetFormat())) {
        MsgBox3("Sound file '", file, "' is not a readable WAV file.");
        return SOUND_NO_FORMAT;
    }
    if (noData || wave->GetSize() == 0) {
        MsgBox3("Sound file '", file, "' has no sound data.");
        return SOUND_EMPTY;
    }
    if (wave->GetFormat()->nChannels > 1 && (creationFlags & DSBCAPS_CTRL3D)) {
        MsgBox3("Sound file '", file, "' is stereo: a 3D sound must be mono.");
        return SOUND_STEREO_3D;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = creationFlags;
    desc.dwBufferBytes = wave->GetSize();
    desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(wave->GetFormat());
    desc.guid3DAlgorithm = GUID_NULL;
    std::vector<IDirectSoundBuffer*> buffers;
    const HRESULT hr = CreateBuffers(desc, bufferCount ? bufferCount : 1, buffers);
    if (FAILED(hr)) {
        for (IDirectSoundBuffer*& buffer : buffers) ReleaseCom(buffer);
        return hr;
    }
    *out = std::make_unique<CSound>(std::move(buffers), creationFlags, std::move(wave));
    return 0;
}

HRESULT CSoundManager::PlaySound(CSound* sound, DWORD playFlags)
{
    return device && sound ? sound->Play(playFlags, 0) : 0;
}

HRESULT CSoundManager::PlaySound3D(CSound* sound, const D3DVECTOR& position, DWORD playFlags, LONG volume)
{
    if (!device || !sound) return 0;
    const HRESULT hr = sound->Play3D(position, playFlags, volume, minDistance, maxDistance);
    if (hr == S_OK) listenerChanged = 1;
    return hr;
}

void CSoundManager::StopSound(CSound* sound)
{
    if (device && sound) sound->Stop();
}
