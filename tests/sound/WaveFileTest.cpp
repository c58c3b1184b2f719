// The WAV reader on files written into a temporary folder: good files of both format
// kinds, and every way a file can lie about its chunks.
#include "WaveBytes.h"

#include "core/WaveFile.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

namespace {

std::string Write(const std::string& name, const std::string& bytes)
{
    const std::string path = test::TempDir("wave_" + name) + "\\" + name + ".wav";
    test::WriteFile(path, bytes);
    return path;
}

HRESULT OpenBytes(const std::string& name, const std::string& bytes)
{
    CWaveFile wave;
    return wave.Open(Write(name, bytes).c_str(), nullptr, WAVEFILE_READ);
}

// Reads up to size bytes: how many came, or -1 when the read failed.
long ReadInto(CWaveFile& wave, BYTE* buffer, DWORD size)
{
    DWORD read = 0;
    return wave.Read(buffer, size, &read) == 0 ? long(read) : -1;
}

TEST(WaveFile, ReadsPcmFormatAndData)
{
    const std::string samples = "\x10\x20\x30\x40\x50";
    CWaveFile wave;
    ASSERT_EQ(0, wave.Open(Write("good", wavebytes::Pcm(1, 11025, 8, samples)).c_str(), nullptr, WAVEFILE_READ));
    ASSERT_NE(nullptr, wave.GetFormat());
    EXPECT_EQ(WAVE_FORMAT_PCM, wave.GetFormat()->wFormatTag);
    EXPECT_EQ(1, wave.GetFormat()->nChannels);
    EXPECT_EQ(11025u, wave.GetFormat()->nSamplesPerSec);
    EXPECT_EQ(0, wave.GetFormat()->cbSize);
    EXPECT_EQ(5u, wave.GetSize());

    BYTE buffer[8] = {};
    EXPECT_EQ(3, ReadInto(wave, buffer, 3));
    EXPECT_EQ(2, ReadInto(wave, buffer + 3, 8));
    EXPECT_EQ(samples, std::string(reinterpret_cast<char*>(buffer), 5));
    EXPECT_EQ(0, ReadInto(wave, buffer, 8));

    ASSERT_EQ(0, wave.ResetFile());
    EXPECT_EQ(5, ReadInto(wave, buffer, 8));
}

TEST(WaveFile, KeepsTheExtraBytesOfOtherFormats)
{
    CWaveFile wave;
    const std::string bytes = wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", wavebytes::Format(2, 1, 8000, 4) + std::string("\x02\x00\xAB\xCD", 4)) +
                                                          wavebytes::Chunk("data", std::string(6, '\x01')));
    ASSERT_EQ(0, wave.Open(Write("extra", bytes).c_str(), nullptr, WAVEFILE_READ));
    ASSERT_EQ(2, wave.GetFormat()->cbSize);
    const BYTE* extra = reinterpret_cast<const BYTE*>(wave.GetFormat() + 1);
    EXPECT_EQ(0xAB, extra[0]);
    EXPECT_EQ(0xCD, extra[1]);
    EXPECT_EQ(6u, wave.GetSize());
}

TEST(WaveFile, RefusesFilesThatAreNoWav)
{
    EXPECT_EQ(E_FAIL, CWaveFile().Open("Z:\\no\\such\\file.wav", nullptr, WAVEFILE_READ));
    EXPECT_EQ(WAVE_NOT_RIFF, OpenBytes("empty", ""));
    EXPECT_EQ(WAVE_NOT_RIFF, OpenBytes("tiny", "RIF"));
    EXPECT_EQ(WAVE_NOT_WAVE, OpenBytes("text", "Just some text, not a sound at all."));
    EXPECT_EQ(WAVE_NOT_WAVE, OpenBytes("avi", wavebytes::Riff("AVI ", wavebytes::Chunk("fmt ", wavebytes::Format(1, 1, 8000, 8)))));
    EXPECT_EQ(WAVE_NO_FORMAT, OpenBytes("nofmt", wavebytes::Riff("WAVE", wavebytes::Chunk("data", "abcd"))));
    EXPECT_EQ(WAVE_SHORT_FORMAT, OpenBytes("shortfmt", wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", "12345678") + wavebytes::Chunk("data", "ab"))));
    EXPECT_EQ(WAVE_NO_DATA, OpenBytes("nodata", wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", wavebytes::Format(1, 1, 8000, 8)))));
}

// Sizes that claim more than the file holds are refused before anything is read.
TEST(WaveFile, RefusesChunksLargerThanWhatIsLeft)
{
    const std::string good = wavebytes::Pcm(2, 22050, 16, std::string(16, '\x05'));
    // Cut inside the sample data: the RIFF and data sizes now reach past the end.
    EXPECT_EQ(WAVE_OVERSIZE, OpenBytes("truncated", good.substr(0, good.size() - 6)));

    // A consistent RIFF size but a data chunk claiming a gigabyte.
    std::string bigData = good;
    wavebytes::PutU32(bigData, bigData.find("data") + 4, 0x40000000);
    EXPECT_EQ(WAVE_OVERSIZE, OpenBytes("bigdata", bigData));

    // A format chunk larger than the RIFF chunk around it.
    std::string bigFormat = good;
    wavebytes::PutU32(bigFormat, bigFormat.find("fmt ") + 4, 0x7FFFFFF0);
    EXPECT_EQ(WAVE_OVERSIZE, OpenBytes("bigfmt", bigFormat));

    // A RIFF size near 4 GB.
    std::string bigRiff = good;
    wavebytes::PutU32(bigRiff, 4, 0xFFFFFFF0);
    EXPECT_EQ(WAVE_OVERSIZE, OpenBytes("bigriff", bigRiff));

    // Extra format bytes beyond the format chunk.
    const std::string fmt = wavebytes::Format(2, 1, 8000, 4) + std::string("\xF0\xFF", 2);
    EXPECT_EQ(WAVE_BAD_EXTRA, OpenBytes("bigextra", wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", fmt) + wavebytes::Chunk("data", "ab"))));
    // A non-PCM format chunk with no room for the extra size.
    EXPECT_EQ(WAVE_READ_EXTRA, OpenBytes("noextra", wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", wavebytes::Format(2, 1, 8000, 4)) + wavebytes::Chunk("data", "ab"))));
}

// More sound than the I/O buffer holds comes through its refills; a file that ends before
// its "data" chunk does (cut while open) gives WAVE_READ_END and nothing read.
TEST(WaveFile, ReadsThroughTheIoBufferUntilTheFileEnds)
{
    std::string samples(70000, '\0');
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = char(i * 7 + i / 256);
    const std::string bytes = wavebytes::Pcm(1, 22050, 8, samples);
    const std::string path = Write("long", bytes);
    CWaveFile wave;
    ASSERT_EQ(0, wave.Open(path.c_str(), nullptr, WAVEFILE_READ));
    std::string got(samples.size(), '\0');
    BYTE* buffer = reinterpret_cast<BYTE*>(&got[0]);
    EXPECT_EQ(30001, ReadInto(wave, buffer, 30001));
    EXPECT_EQ(39999, ReadInto(wave, buffer + 30001, 50000));
    EXPECT_TRUE(samples == got);
    EXPECT_EQ(0, ReadInto(wave, buffer, 10));

    ASSERT_EQ(0, wave.ResetFile());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFilePointer(file, LONG(bytes.size() - 50000), nullptr, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    DWORD read = 99;
    EXPECT_EQ(WAVE_READ_END, wave.Read(buffer, DWORD(samples.size()), &read));
    EXPECT_EQ(0u, read);
}

TEST(WaveFile, ReadsFromMemoryOnly)
{
    const BYTE data[6] = {1, 2, 3, 4, 5, 6};
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.wBitsPerSample = 8;
    format.cbSize = 999;  // ignored for PCM
    CWaveFile wave;
    EXPECT_EQ(E_NOTIMPL, wave.OpenFromMemory(data, 6, &format, WAVEFILE_WRITE));
    ASSERT_EQ(0, wave.OpenFromMemory(data, 6, &format, WAVEFILE_READ));
    EXPECT_EQ(0, wave.GetFormat()->cbSize);
    EXPECT_EQ(6u, wave.GetSize());
    BYTE out[10] = {};
    EXPECT_EQ(4, ReadInto(wave, out, 4));
    EXPECT_EQ(2, ReadInto(wave, out + 4, 10));
    EXPECT_EQ(6, out[5]);
}

// Written in two pieces larger than the I/O buffer together; the file is exactly the
// chunks a reader expects, with the frame count in "fact".
TEST(WaveFile, WritesAFileOfFormatFactAndData)
{
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    std::string samples(20000, '\0');
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = char(i * 7);
    const BYTE* data = reinterpret_cast<const BYTE*>(samples.data());
    const std::string path = test::TempDir("wave_written") + "\\out.wav";
    CWaveFile wave;
    ASSERT_EQ(0, wave.Open(path.c_str(), &format, WAVEFILE_WRITE));
    DWORD wrote = 0;
    EXPECT_EQ(0, wave.Write(12, data, &wrote));
    EXPECT_EQ(12u, wrote);
    EXPECT_EQ(0, wave.Write(DWORD(samples.size() - 12), data + 12, &wrote));
    EXPECT_EQ(20000u, wave.GetSize());
    EXPECT_EQ(0, wave.Close());
    const std::string expected = wavebytes::Riff("WAVE", wavebytes::Chunk("fmt ", wavebytes::Format(1, 2, 22050, 16)) +
                                                             wavebytes::Chunk("fact", wavebytes::U32(5000)) +
                                                             wavebytes::Chunk("data", samples));
    EXPECT_TRUE(expected == test::ReadFile(path));

    EXPECT_EQ(E_INVALIDARG, wave.Open(path.c_str(), nullptr, WAVEFILE_WRITE));
    EXPECT_EQ(E_FAIL, wave.Open("Z:\\no\\such\\folder\\out.wav", &format, WAVEFILE_WRITE));
    EXPECT_EQ(CO_E_NOTINITIALIZED, wave.Write(12, data, &wrote));
}

} // namespace
