// The sound manager: start-up under this Wine (no audio device), and loading and playing
// through a device in memory.
#include "FakeSound.h"
#include "WaveBytes.h"

#include "core/Sound.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The manager is a process-wide object: each test leaves it without a device.
class SoundManager : public ::testing::Test {
protected:
    void TearDown() override
    {
        sounds.clear();
        gSoundManager.Shutdown();
    }
    void UseFake() { gSoundManager.device = &device; device.AddRef(); }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = test::TempDir("sound_" + name) + "\\" + name + ".wav";
        test::WriteFile(path, bytes);
        return path;
    }
    HRESULT Load(const std::string& path, DWORD flags, DWORD count)
    {
        sounds.emplace_back();
        return gSoundManager.LoadSound(&sounds.back(), path.c_str(), flags, count);
    }

    test::MessageRecorder messages;
    test::FakeDevice device;
    test::FakeListener listener;  // outlives TearDown, which releases it
    std::vector<std::unique_ptr<CSound>> sounds;
};

// Without an audio device DirectSound does not open: one message, and the program goes on
// without sound. On a machine that has one, the device and the listener open.
TEST_F(SoundManager, InitWithoutAudioDeviceLeavesTheProgramSilent)
{
    const HRESULT hr = gSoundManager.Init(GetDesktopWindow());
    if (SUCCEEDED(hr)) {
        EXPECT_NE(nullptr, gSoundManager.device);
        GTEST_SKIP() << "this machine has an audio device";
    }
    EXPECT_EQ(nullptr, gSoundManager.device);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("DirectSound is not create.", messages.Texts()[0]);

    messages.Clear();
    std::unique_ptr<CSound> sound;
    EXPECT_EQ(0, gSoundManager.LoadSound(&sound, "Z:\\no\\such.wav", 0, 2));
    EXPECT_EQ(nullptr, sound);
    EXPECT_EQ(0, gSoundManager.PlaySound(nullptr, 0));
    gSoundManager.SetListenerPosition(D3DVECTOR{1, 2, 3}, D3DVECTOR{0, 0, 1});
    gSoundManager.CommitListener();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(SoundManager, LoadFillsTheFirstBufferAndDuplicatesTheOthers)
{
    UseFake();
    const std::string samples = "\x01\x02\x03\x04\x05\x06\x07\x08";
    ASSERT_EQ(0, Load(Write("good", wavebytes::Pcm(1, 22050, 16, samples)), DSBCAPS_CTRLVOLUME, 3));
    ASSERT_NE(nullptr, sounds.back());
    EXPECT_EQ(3u, sounds.back()->BufferCount());
    EXPECT_EQ(1, device.created);
    EXPECT_EQ(2, device.duplicated);
    ASSERT_EQ(3u, device.buffers.size());
    EXPECT_EQ(samples, std::string(device.buffers[0]->data.begin(), device.buffers[0]->data.end()));
    EXPECT_FALSE(device.buffers[0]->locked);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    // Buffers with effects cannot be duplicated: each is created.
    ASSERT_EQ(0, Load(Write("fx", wavebytes::Pcm(1, 22050, 16, samples)), DSBCAPS_CTRLFX, 2));
    EXPECT_EQ(3, device.created);
}

TEST_F(SoundManager, RefusedFilesAreReportedAndLoadNothing)
{
    UseFake();
    EXPECT_EQ(SOUND_MISSING, Load("Z:\\no\\such\\sound.wav", 0, 1));
    EXPECT_EQ(SOUND_NO_FORMAT, Load(Write("text", "not a wave file"), 0, 1));
    const std::string truncated = wavebytes::Pcm(1, 22050, 8, std::string(40, '\x10'));
    EXPECT_EQ(SOUND_NO_FORMAT, Load(Write("cut", truncated.substr(0, 30)), 0, 1));
    EXPECT_EQ(SOUND_EMPTY, Load(Write("silent", wavebytes::Pcm(1, 22050, 8, "")), 0, 1));
    const std::string formatOnly = wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", wavebytes::Format(1, 1, 22050, 8)));
    EXPECT_EQ(SOUND_EMPTY, Load(Write("nodata", formatOnly), 0, 1));
    EXPECT_EQ(SOUND_STEREO_3D, Load(Write("stereo", wavebytes::Pcm(2, 22050, 16, std::string(8, '\0'))), DSBCAPS_CTRL3D, 1));
    for (const auto& sound : sounds) EXPECT_EQ(nullptr, sound);
    EXPECT_EQ(0, device.created);

    ASSERT_EQ(6u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Sound file 'Z:\\no\\such\\sound.wav' not found.", messages.Texts()[0]);
    EXPECT_TRUE(messages.Contains("text.wav' is not a readable WAV file.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("cut.wav' is not a readable WAV file.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("silent.wav' has no sound data.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("nodata.wav' has no sound data.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("stereo.wav' is stereo: a 3D sound must be mono.")) << messages.Joined();

    // A mono file is a good 3D sound.
    EXPECT_EQ(0, Load(Write("mono", wavebytes::Pcm(1, 22050, 16, std::string(8, '\0'))), DSBCAPS_CTRL3D, 1));
}

TEST_F(SoundManager, BufferCreationFailureFreesWhatWasMade)
{
    UseFake();
    device.failAfter = 2;
    EXPECT_EQ(DSERR_OUTOFMEMORY, Load(Write("three", wavebytes::Pcm(1, 22050, 8, "abcd")), 0, 3));
    EXPECT_EQ(nullptr, sounds.back());
    ASSERT_EQ(2u, device.buffers.size());
    for (const test::FakeBuffer* buffer : device.buffers) EXPECT_EQ(0u, buffer->refs);
}

TEST_F(SoundManager, EveryBufferPlayingRefusesOneMorePlay)
{
    UseFake();
    ASSERT_EQ(0, Load(Write("four", wavebytes::Pcm(1, 22050, 8, "abcdefgh")), DSBCAPS_CTRLVOLUME, 4));
    CSound* sound = sounds.back().get();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(S_OK, gSoundManager.PlaySound(sound, 0)) << i;
    EXPECT_EQ(SOUND_ALL_PLAYING, gSoundManager.PlaySound(sound, 0));
    for (const test::FakeBuffer* buffer : device.buffers) EXPECT_EQ(1, buffer->plays);

    gSoundManager.StopSound(sound);
    for (const test::FakeBuffer* buffer : device.buffers) {
        EXPECT_FALSE(buffer->playing);
        EXPECT_EQ(0u, buffer->position);
    }
    EXPECT_EQ(S_OK, gSoundManager.PlaySound(sound, 0));
    EXPECT_EQ(sound->Buffer(0), sound->Current());
}

// A lost buffer is restored and filled again before it plays; 8-bit silence is 128.
TEST_F(SoundManager, LostBufferIsRestoredAndRefilled)
{
    UseFake();
    ASSERT_EQ(0, Load(Write("lost", wavebytes::Pcm(1, 22050, 8, "wxyz")), 0, 2));
    CSound* sound = sounds.back().get();
    test::FakeBuffer* first = device.buffers[0];
    first->data.assign(first->data.size(), 0);
    first->lost = true;
    EXPECT_EQ(S_OK, gSoundManager.PlaySound(sound, 0));
    EXPECT_EQ(1, first->restores);
    EXPECT_EQ("wxyz", std::string(first->data.begin(), first->data.end()));
}

TEST_F(SoundManager, PlayWithoutVolumeControlKeepsFullVolume)
{
    UseFake();
    ASSERT_EQ(0, Load(Write("vol", wavebytes::Pcm(1, 22050, 8, "ab")), 0, 1));
    EXPECT_EQ(S_OK, sounds.back()->Play(0, -3000));
    EXPECT_EQ(0, device.buffers[0]->volume);

    ASSERT_EQ(0, Load(Write("vol2", wavebytes::Pcm(1, 22050, 8, "ab")), DSBCAPS_CTRLVOLUME, 1));
    EXPECT_EQ(S_OK, sounds.back()->Play(0, -3000));
    EXPECT_EQ(-3000, device.buffers[1]->volume);
}

// Listener changes are deferred and committed once by the next frame's commit; a positioned
// play places its buffer with the manager's distances and marks the listener changed.
TEST_F(SoundManager, ListenerAndPositionedSoundsAreCommittedOnce)
{
    UseFake();
    gSoundManager.listener = &listener;
    listener.AddRef();
    gSoundManager.SetListenerFactors(2.0f, 50.0f, 0.5f, 1.5f);
    gSoundManager.SetListenerPosition(D3DVECTOR{1, 2, 3}, D3DVECTOR{0, 0, 1});
    EXPECT_EQ(DWORD(DS3D_DEFERRED), listener.lastApply);
    EXPECT_FLOAT_EQ(3.0f, listener.params.vPosition.z);
    EXPECT_FLOAT_EQ(0.5f, listener.params.flRolloffFactor);
    EXPECT_FLOAT_EQ(1.5f, listener.params.flDopplerFactor);
    gSoundManager.CommitListener();
    gSoundManager.CommitListener();
    EXPECT_EQ(1, listener.commits);

    ASSERT_EQ(0, Load(Write("mono3d", wavebytes::Pcm(1, 22050, 16, std::string(8, '\0'))), DSBCAPS_CTRL3D, 2));
    EXPECT_EQ(S_OK, gSoundManager.PlaySound3D(sounds.back().get(), D3DVECTOR{4, 5, 6}, 0, 0));
    const test::Fake3DBuffer& placed = device.buffers[0]->buffer3D;
    EXPECT_FLOAT_EQ(6.0f, placed.position.z);
    EXPECT_EQ(DWORD(DS3D_DEFERRED), placed.lastApply);
    EXPECT_FLOAT_EQ(2.0f, placed.minDistance);
    EXPECT_FLOAT_EQ(50.0f, placed.maxDistance);
    const D3DVECTOR velocity{0, 0, 9};
    EXPECT_EQ(S_OK, sounds.back()->Set3DPosition(D3DVECTOR{7, 8, 9}, &velocity));
    EXPECT_FLOAT_EQ(9.0f, placed.velocity.z);
    EXPECT_EQ(1u, placed.refs) << "every 3D interface taken is given back";
    gSoundManager.CommitListener();
    EXPECT_EQ(2, listener.commits);

    // A sound without the 3D side plays but cannot be placed.
    ASSERT_EQ(0, Load(Write("flat", wavebytes::Pcm(1, 22050, 16, std::string(8, '\0'))), 0, 1));
    EXPECT_EQ(E_NOINTERFACE, gSoundManager.PlaySound3D(sounds.back().get(), D3DVECTOR{4, 5, 6}, 0, 0));
    EXPECT_TRUE(device.buffers.back()->playing);
    gSoundManager.CommitListener();
    EXPECT_EQ(2, listener.commits);
}

// The random start lands inside the sound.
TEST_F(SoundManager, RandomStartStaysInsideTheSound)
{
    UseFake();
    ASSERT_EQ(0, Load(Write("random", wavebytes::Pcm(1, 22050, 8, std::string(100, 'x'))), 0, 1));
    EXPECT_EQ(CO_E_NOTINITIALIZED, sounds.back()->StartAtRandomPosition());
    ASSERT_EQ(S_OK, sounds.back()->Play(0, 0));
    srand(3);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(S_OK, sounds.back()->StartAtRandomPosition());
        EXPECT_LT(device.buffers[0]->position, 100u);
    }
}

} // namespace
