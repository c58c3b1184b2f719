#include "core/WaveFile.h"

#include "core/Paths.h"

#include <algorithm>
#include <cstring>

bool CWaveFile::Fits(const MMCKINFO& chunk, DWORD rangeEnd)
{
    return chunk.dwDataOffset <= rangeEnd && chunk.cksize <= rangeEnd - chunk.dwDataOffset;
}

namespace {

constexpr FOURCC FOURCC_WAVE = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC FOURCC_FMT = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC FOURCC_FACT = mmioFOURCC('f', 'a', 'c', 't');
constexpr FOURCC FOURCC_DATA = mmioFOURCC('d', 'a', 't', 'a');

// A whole chunk: header, body, size.
bool WriteChunk(HMMIO mmio, FOURCC id, const void* body, LONG size)
{
    MMCKINFO chunk{};
    chunk.ckid = id;
    chunk.cksize = DWORD(size);
    return mmioCreateChunk(mmio, &chunk, 0) == MMSYSERR_NOERROR &&
           mmioWrite(mmio, static_cast<const char*>(body), size) == size &&
           mmioAscend(mmio, &chunk, 0) == MMSYSERR_NOERROR;
}

} // namespace

HRESULT CWaveFile::Open(const char* file, const WAVEFORMATEX* format, uint32_t openMode)
{
    Close();
    if (openMode == WAVEFILE_WRITE) return OpenForWriting(file, format);
    if (openMode != WAVEFILE_READ) return E_NOTIMPL;
    if (IsDevicePath(file)) return E_FAIL;
    mode = openMode;
    mmio = mmioOpenA(const_cast<char*>(file), nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (!mmio) return E_FAIL;
    HRESULT result = ReadMMIO();
    if (result != 0) {
        Close();
        return result;
    }
    result = ResetFile();
    if (result != 0) {
        // The format stays: a file without sound data is told from one that is no WAV file.
        mmioClose(mmio, 0);
        mmio = nullptr;
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
    KeepFormat(source);
    mode = openMode;
    fromMemory = true;
    memStart = memPos = data;
    memSize = dataSize = size;
    return 0;
}

void CWaveFile::KeepFormat(const WAVEFORMATEX* source)
{
    const WORD extra = source->wFormatTag == WAVE_FORMAT_PCM ? 0 : source->cbSize;
    formatBlock.reset(new BYTE[sizeof(WAVEFORMATEX) + extra]);
    memcpy(formatBlock.get(), source, sizeof(WAVEFORMATEX) + extra);
    reinterpret_cast<WAVEFORMATEX*>(formatBlock.get())->cbSize = extra;
}

HRESULT CWaveFile::OpenForWriting(const char* file, const WAVEFORMATEX* format)
{
    if (!file || !format) return E_INVALIDARG;
    KeepFormat(format);
    mode = WAVEFILE_WRITE;
    mmio = mmioOpenA(const_cast<char*>(file), nullptr, MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE);
    if (!mmio) {
        Close();
        return E_FAIL;
    }
    HRESULT result = WriteMMIO();
    if (result == 0) result = ResetFile();
    if (result != 0) Close();
    return result;
}

// The RIFF chunk with the format and a "fact" chunk whose count Close fills in.
HRESULT CWaveFile::WriteMMIO()
{
    const WAVEFORMATEX* format = GetFormat();
    // PCM keeps the 16-byte form; other formats carry their extra size and bytes.
    const LONG formatBytes = format->wFormatTag == WAVE_FORMAT_PCM ? LONG(sizeof(PCMWAVEFORMAT))
                                                                    : LONG(sizeof(WAVEFORMATEX) + format->cbSize);
    const DWORD unknownCount = 0xFFFFFFFF;
    riffChunk = MMCKINFO{};
    riffChunk.fccType = FOURCC_WAVE;
    if (mmioCreateChunk(mmio, &riffChunk, MMIO_CREATERIFF) != MMSYSERR_NOERROR ||
        !WriteChunk(mmio, FOURCC_FMT, format, formatBytes) ||
        !WriteChunk(mmio, FOURCC_FACT, &unknownCount, sizeof unknownCount))
        return WAVE_WRITE_HEADER;
    return 0;
}

HRESULT CWaveFile::ReadMMIO()
{
    const LONG end = mmioSeek(mmio, 0, SEEK_END);
    if (end < 0 || mmioSeek(mmio, 0, SEEK_SET) != 0) return WAVE_NOT_RIFF;
    if (mmioDescend(mmio, &riffChunk, nullptr, 0) != MMSYSERR_NOERROR) return WAVE_NOT_RIFF;
    if (riffChunk.ckid != FOURCC_RIFF || riffChunk.fccType != FOURCC_WAVE)
        return WAVE_NOT_WAVE;
    if (!Fits(riffChunk, DWORD(end))) return WAVE_OVERSIZE;
    MMCKINFO fmtChunk{};
    const HRESULT found = FindChunk(FOURCC_FMT, &fmtChunk, WAVE_NO_FORMAT);
    if (found != 0) return found;
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
    if (mode == WAVEFILE_WRITE) {
        if (dataOpen) return 0;
        dataChunk = MMCKINFO{};
        dataChunk.ckid = FOURCC_DATA;
        if (mmioCreateChunk(mmio, &dataChunk, 0) != MMSYSERR_NOERROR) return WAVE_CREATE_DATA;
        if (mmioGetInfo(mmio, &writeInfo, 0) != MMSYSERR_NOERROR) return WAVE_WRITE_INFO;
        dataOpen = true;
        return 0;
    }
    dataChunk = MMCKINFO{};
    return FindChunk(FOURCC_DATA, &dataChunk, WAVE_NO_DATA);
}

// Walks the chunks of the form one by one, each checked against what is left of it, so a
// size that points back or past the end can neither loop nor lead outside (the system's own
// search follows such sizes).
HRESULT CWaveFile::FindChunk(FOURCC id, MMCKINFO* found, HRESULT missing)
{
    const DWORD end = riffChunk.dwDataOffset + riffChunk.cksize;
    DWORD at = riffChunk.dwDataOffset + sizeof(FOURCC);
    for (;;) {
        if (at > end || end - at < 8) return missing;
        if (mmioSeek(mmio, LONG(at), SEEK_SET) == -1) return WAVE_SEEK;
        MMCKINFO chunk{};
        if (mmioDescend(mmio, &chunk, nullptr, 0) != MMSYSERR_NOERROR) return missing;
        if (!Fits(chunk, end)) return WAVE_OVERSIZE;
        if (chunk.ckid == id) {
            *found = chunk;
            return 0;
        }
        // The next chunk starts behind this one's pad byte.
        at = chunk.dwDataOffset + chunk.cksize + (chunk.cksize & 1);
    }
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
    MMIOINFO info{};
    if (mmioGetInfo(mmio, &info, 0) != MMSYSERR_NOERROR) return WAVE_READ_INFO;
    const DWORD count = std::min(size, dataChunk.cksize);
    HRESULT result = 0;
    for (DWORD done = 0; done < count;) {
        if (info.pchNext == info.pchEndRead) {
            if (mmioAdvance(mmio, &info, MMIO_READ) != MMSYSERR_NOERROR) {
                result = WAVE_READ_ADVANCE;
                break;
            }
            if (info.pchNext == info.pchEndRead) {
                result = WAVE_READ_END;
                break;
            }
        }
        const DWORD n = std::min(count - done, DWORD(info.pchEndRead - info.pchNext));
        memcpy(buffer + done, info.pchNext, n);
        info.pchNext += n;
        done += n;
    }
    // The stream takes its position back even after a failure, so it stays usable.
    if (mmioSetInfo(mmio, &info, 0) != MMSYSERR_NOERROR && result == 0) result = WAVE_READ_SET_INFO;
    if (result != 0) return result;
    dataChunk.cksize -= count;
    if (read) *read = count;
    return 0;
}

// Through the I/O buffer, flushing it whenever it is full.
HRESULT CWaveFile::Write(DWORD size, const BYTE* data, DWORD* wrote)
{
    if (wrote) *wrote = 0;
    if (!dataOpen) return CO_E_NOTINITIALIZED;
    if (!data && size) return E_INVALIDARG;
    DWORD done = 0;
    HRESULT result = 0;
    while (done < size) {
        if (writeInfo.pchNext == writeInfo.pchEndWrite) {
            writeInfo.dwFlags |= MMIO_DIRTY;
            if (mmioAdvance(mmio, &writeInfo, MMIO_WRITE) != MMSYSERR_NOERROR ||
                writeInfo.pchNext == writeInfo.pchEndWrite) {
                result = E_FAIL;
                break;
            }
        }
        const DWORD count = std::min(size - done, DWORD(writeInfo.pchEndWrite - writeInfo.pchNext));
        memcpy(writeInfo.pchNext, data + done, count);
        writeInfo.pchNext += count;
        done += count;
    }
    dataSize += done;
    if (wrote) *wrote = done;
    return result;
}

// Flushes the buffer, closes "data" and "RIFF" (which writes their sizes) and puts the
// sample count into "fact": frames of PCM; the bytes of other formats do not tell it.
HRESULT CWaveFile::FinishWriting()
{
    dataOpen = false;
    writeInfo.dwFlags |= MMIO_DIRTY;
    if (mmioSetInfo(mmio, &writeInfo, 0) != MMSYSERR_NOERROR || mmioAscend(mmio, &dataChunk, 0) != MMSYSERR_NOERROR ||
        mmioAscend(mmio, &riffChunk, 0) != MMSYSERR_NOERROR)
        return E_FAIL;
    MMCKINFO fact{};
    fact.ckid = FOURCC_FACT;
    if (mmioSeek(mmio, LONG(riffChunk.dwDataOffset + sizeof(FOURCC)), SEEK_SET) == -1 ||
        mmioDescend(mmio, &fact, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return 0;
    const WAVEFORMATEX* format = GetFormat();
    const DWORD samples = format->wFormatTag == WAVE_FORMAT_PCM && format->nBlockAlign ? dataSize / format->nBlockAlign : 0;
    if (mmioWrite(mmio, reinterpret_cast<const char*>(&samples), sizeof samples) != sizeof samples) return E_FAIL;
    return mmioAscend(mmio, &fact, 0) == MMSYSERR_NOERROR ? 0 : E_FAIL;
}

HRESULT CWaveFile::Close()
{
    const HRESULT result = dataOpen && mmio ? FinishWriting() : 0;
    dataOpen = false;
    writeInfo = MMIOINFO{};
    if (mmio) mmioClose(mmio, 0);
    mmio = nullptr;
    formatBlock.reset();
    fromMemory = false;
    memStart = memPos = nullptr;
    memSize = dataSize = 0;
    mode = 0;
    return result;
}
