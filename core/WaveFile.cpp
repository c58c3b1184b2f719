#include "core/WaveFile.h"

#include <algorithm>
#include <cstring>

bool CWaveFile::Fits(const MMCKINFO& chunk, DWORD rangeEnd)
{
    return chunk.dwDataOffset <= rangeEnd && chunk.cksize <= rangeEnd - chunk.dwDataOffset;
}

HRESULT CWaveFile::Open(const char* file, const WAVEFORMATEX*, uint32_t openMode)
{
    Close();
    if (openMode != WAVEFILE_READ) return E_NOTIMPL;
    mode = openMode;
    mmio = mmioOpenA(const_cast<char*>(file), nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (!mmio) return E_FAIL;
    HRESULT result = ReadMMIO();
    if (result == 0) result = ResetFile();
    if (result != 0) {
        Close();
        return result;
    }
    dataSize = dataChunk.cksize;
    return 0;
}

HRESULT CWaveFile::OpenFromMemory(const BYTE* data, DWORD size, const WAVEFORMATEX* source, uint32_t openMode)
{
    Close();
    if (openMode != WAVEFILE_READ) return E_NOTIMPL;
    if (!data || !source) return E_INVALIDARG;
    const size_t bytes = sizeof(WAVEFORMATEX) + (source->wFormatTag == WAVE_FORMAT_PCM ? 0 : source->cbSize);
    formatBlock.reset(new BYTE[bytes]);
    memcpy(formatBlock.get(), source, bytes);
    if (source->wFormatTag == WAVE_FORMAT_PCM) reinterpret_cast<WAVEFORMATEX*>(formatBlock.get())->cbSize = 0;
    mode = openMode;
    fromMemory = true;
    memStart = memPos = data;
    memSize = dataSize = size;
    return 0;
}

HRESULT CWaveFile::ReadMMIO()
{
    const LONG end = mmioSeek(mmio, 0, SEEK_END);
    if (end < 0 || mmioSeek(mmio, 0, SEEK_SET) != 0) return WAVE_NOT_RIFF;
    if (mmioDescend(mmio, &riffChunk, nullptr, 0) != MMSYSERR_NOERROR) return WAVE_NOT_RIFF;
    if (riffChunk.ckid != FOURCC_RIFF || riffChunk.fccType != mmioFOURCC('W', 'A', 'V', 'E'))
        return WAVE_NOT_WAVE;
    if (!Fits(riffChunk, DWORD(end))) return WAVE_OVERSIZE;
    MMCKINFO fmtChunk{};
    fmtChunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(mmio, &fmtChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return WAVE_NO_FORMAT;
    if (!Fits(fmtChunk, riffChunk.dwDataOffset + riffChunk.cksize)) return WAVE_OVERSIZE;
    if (fmtChunk.cksize < 16) return WAVE_SHORT_FORMAT;
    const HRESULT result = ReadFormat(fmtChunk);
    if (result != 0) return result;
    if (mmioAscend(mmio, &fmtChunk, 0) != MMSYSERR_NOERROR) return WAVE_ASCEND;
    return 0;
}

// The 16 bytes every format has; other than PCM, the extra size and the extra bytes,
// which must lie inside the chunk.
HRESULT CWaveFile::ReadFormat(const MMCKINFO& fmtChunk)
{
    PCMWAVEFORMAT pcm{};
    static_assert(sizeof pcm == 16, "the fixed part of a format chunk");
    if (mmioRead(mmio, reinterpret_cast<HPSTR>(&pcm), sizeof pcm) != sizeof pcm) return WAVE_READ_FORMAT;
    WORD extra = 0;
    if (pcm.wf.wFormatTag != WAVE_FORMAT_PCM) {
        if (fmtChunk.cksize < sizeof pcm + sizeof extra) return WAVE_READ_EXTRA;
        if (mmioRead(mmio, reinterpret_cast<HPSTR>(&extra), sizeof extra) != sizeof extra) return WAVE_READ_EXTRA;
        if (extra > fmtChunk.cksize - sizeof pcm - sizeof extra) return WAVE_BAD_EXTRA;
    }
    formatBlock.reset(new BYTE[sizeof(WAVEFORMATEX) + extra]);
    auto* wf = reinterpret_cast<WAVEFORMATEX*>(formatBlock.get());
    memcpy(wf, &pcm, sizeof pcm);
    wf->cbSize = extra;
    if (extra && mmioRead(mmio, reinterpret_cast<HPSTR>(formatBlock.get() + sizeof(WAVEFORMATEX)), extra) != extra)
        return WAVE_BAD_EXTRA;
    return 0;
}

HRESULT CWaveFile::ResetFile()
{
    if (fromMemory) {
        memPos = memStart;
        return 0;
    }
    if (!mmio) return CO_E_NOTINITIALIZED;
    if (mmioSeek(mmio, LONG(riffChunk.dwDataOffset + sizeof(FOURCC)), SEEK_SET) == -1) return WAVE_SEEK;
    dataChunk = MMCKINFO{};
    dataChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(mmio, &dataChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return WAVE_NO_DATA;
    if (!Fits(dataChunk, riffChunk.dwDataOffset + riffChunk.cksize)) return WAVE_OVERSIZE;
    return 0;
}

HRESULT CWaveFile::Read(BYTE* buffer, DWORD size, DWORD* read)
{
    if (read) *read = 0;
    if (!buffer) return E_INVALIDARG;
    if (fromMemory) {
        const DWORD count = std::min<DWORD>(size, DWORD(memStart + memSize - memPos));
        memcpy(buffer, memPos, count);
        memPos += count;
        if (read) *read = count;
        return 0;
    }
    if (!mmio) return CO_E_NOTINITIALIZED;
    const DWORD count = std::min(size, dataChunk.cksize);
    const LONG got = count ? mmioRead(mmio, reinterpret_cast<HPSTR>(buffer), LONG(count)) : 0;
    if (got < 0 || DWORD(got) != count) return E_FAIL;
    dataChunk.cksize -= count;
    if (read) *read = count;
    return 0;
}

HRESULT CWaveFile::Close()
{
    if (mmio) mmioClose(mmio, 0);
    mmio = nullptr;
    formatBlock.reset();
    fromMemory = false;
    memStart = memPos = nullptr;
    memSize = dataSize = 0;
    mode = 0;
    return 0;
}
