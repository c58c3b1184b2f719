#pragma once
// CSoundManager (gSoundManager): the DirectSound device, its 16-bit stereo 22050 Hz primary
// buffer and the 3D listener, and the loading of sounds from WAV files. CSound plays one
// sound through several buffers so that it can overlap itself. Without a device (no
// DirectSound configured, or it could not be opened, with its one message) every sound
// operation does nothing; a sound file that cannot be read is reported and not loaded.

#include "core/WaveFile.h"

#include <windows.h>
#include <dsound.h>

#include <memory>
#include <vector>

// LoadSound results besides DirectSound errors.
enum : int {
    SOUND_EMPTY = -1,      // no sound data
    SOUND_NO_FORMAT = -2,  // the file is not a readable WAV file
    SOUND_STEREO_3D = -3,  // a 3D sound must be mono
    SOUND_MISSING = -10,
};
// Play results besides DirectSound errors.
enum : int { SOUND_ALL_PLAYING = -1, SOUND_RESTORE_FAILED = -2, SOUND_REFILL_FAILED = -3 };

class CSound {
public:
    // Takes over the buffers and the file, and fills the first buffer.
    CSound(std::vector<IDirectSoundBuffer*> buffers, DWORD creationFlags, std::unique_ptr<CWaveFile> wave);
    ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // On the first buffer not playing: 0, or a Play result.
    HRESULT Play(DWORD playFlags, LONG volume);
    // As Play, then the buffer's 3D position and distances (deferred).
    HRESULT Play3D(const D3DVECTOR& position, DWORD playFlags, LONG volume, float minDistance, float maxDistance);
    // Every buffer stopped and rewound.
    void Stop();
    static void StopBuffer(IDirectSoundBuffer* buffer);
    // The buffer last chosen for playing: its 3D position and, when given, velocity.
    HRESULT Set3DPosition(const D3DVECTOR& position, const D3DVECTOR* velocity);
    // The buffer last chosen for playing moves to a random place in the sound.
    HRESULT StartAtRandomPosition();
    // The buffer restored when lost, then filled with the whole sound and silence after it.
    HRESULT FillBuffer(IDirectSoundBuffer* buffer);

    IDirectSoundBuffer* Buffer(size_t i) const { return buffers[i]; }
    size_t BufferCount() const { return buffers.size(); }
    IDirectSoundBuffer* Current() const { return current; }

private:
    IDirectSoundBuffer* FreeBuffer() const;
    static HRESULT RestoreBuffer(IDirectSoundBuffer* buffer, bool* wasLost);
    HRESULT Get3DBuffer(IDirectSound3DBuffer** out) const;

    std::vector<IDirectSoundBuffer*> buffers;  // owned
    DWORD flags = 0;
    std::unique_ptr<CWaveFile> wave;
    IDirectSoundBuffer* current = nullptr;
};

class CSoundManager {
public:
    // Opens the device once; later calls do nothing. Each failure is reported and leaves
    // the program without sound (or without the 3D listener).
    HRESULT Init(HWND window);
    // Everything released; the manager is as before Init.
    void Shutdown();
    void SetListenerFactors(float minimum, float maximum, float rolloff, float doppler);
    void SetListenerPosition(const D3DVECTOR& position, const D3DVECTOR& front);
    // Applies deferred listener and buffer changes when any were made.
    void CommitListener();

    // out: the sound, or null. 0 also without a device (and out null), else a SOUND_ code
    // or a DirectSound error.
    HRESULT LoadSound(std::unique_ptr<CSound>* out, const char* file, DWORD creationFlags, DWORD bufferCount);
    HRESULT PlaySound(CSound* sound, DWORD playFlags);
    HRESULT PlaySound3D(CSound* sound, const D3DVECTOR& position, DWORD playFlags, LONG volume);
    void StopSound(CSound* sound);

    HWND window = nullptr;
    IDirectSound8* device = nullptr;
    IDirectSound3DListener* listener = nullptr;
    DS3DLISTENER listenerParams{};
    float minDistance = 1.0f;
    float maxDistance = 100.0f;
    int listenerChanged = 0;

private:
    HRESULT OpenPrimary();
    HRESULT CreateBuffers(const DSBUFFERDESC& desc, DWORD count, std::vector<IDirectSoundBuffer*>& out);
    void ApplyListener();
};
extern CSoundManager gSoundManager;
