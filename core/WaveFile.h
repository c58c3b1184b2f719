#pragma once
// CWaveFile: reads the sound data of a RIFF "WAVE" file through the multimedia I/O
// functions, or of a block of PCM data in memory, and writes new WAVE files. It owns its
// format record and, for a memory source, nothing else. Every chunk size is checked
// against what is left of its parent before anything is read into the program's memory: a
// truncated or inflated file is refused with a negative code, never read past its end. A
// file being written gets its chunk sizes and its "fact" sample count when it is closed.

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <memory>

enum : uint32_t { WAVEFILE_READ = 1, WAVEFILE_WRITE = 2 };

// ReadMMIO results.
enum : int {
    WAVE_NOT_RIFF = -1,      // no RIFF chunk could be entered
    WAVE_NOT_WAVE = -2,      // a RIFF file of another form
    WAVE_NO_FORMAT = -3,     // no "fmt " chunk
    WAVE_SHORT_FORMAT = -4,  // "fmt " shorter than 16 bytes
    WAVE_READ_FORMAT = -5,
    WAVE_READ_EXTRA = -7,
    WAVE_BAD_EXTRA = -8,     // extra format bytes missing or beyond the chunk
    WAVE_ASCEND = -9,
    WAVE_OVERSIZE = -11,     // a chunk claims more bytes than its parent has left
};
// ResetFile results: reading, then writing.
enum : int { WAVE_SEEK = -1, WAVE_NO_DATA = -2, WAVE_CREATE_DATA = -3, WAVE_WRITE_INFO = -4 };
// Read results: the I/O buffer could not be taken, refilled or given back, or the file ended
// before the "data" chunk did.
enum : int { WAVE_READ_INFO = -1, WAVE_READ_ADVANCE = -2, WAVE_READ_END = -3, WAVE_READ_SET_INFO = -4 };
// The RIFF, "fmt " or "fact" chunk of a new file could not be written.
constexpr int WAVE_WRITE_HEADER = -12;

class CWaveFile {
public:
    CWaveFile() = default;
    ~CWaveFile() { Close(); }
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    // Reading: the format argument is not used; E_FAIL when the file does not open, else
    // the reader's code. When only the "data" chunk fails (a ResetFile code) the format is
    // kept and there is nothing to read. Writing: creates the file with the given format and opens its
    // "data" chunk (E_INVALIDARG without a format). E_NOTIMPL for other modes.
    HRESULT Open(const char* file, const WAVEFORMATEX* format, uint32_t mode);
    // PCM data in memory with the given format; the data is not copied and must outlive
    // the reader. Reading only (else E_NOTIMPL).
    HRESULT OpenFromMemory(const BYTE* data, DWORD size, const WAVEFORMATEX* format, uint32_t mode);
    // The RIFF header and the format chunk: 0 or a WAVE_ code.
    HRESULT ReadMMIO();
    // Reading: back to the start of the sound data. Writing: opens the "data" chunk.
    // 0 or a WAVE_ code.
    HRESULT ResetFile();
    // Copies at most size bytes of what is left of the sound data through the I/O buffer;
    // read = bytes copied. 0, or a WAVE_READ_ code with read = 0.
    HRESULT Read(BYTE* buffer, DWORD size, DWORD* read);
    // Appends size bytes to the "data" chunk of a file opened for writing; wrote = bytes
    // written.
    HRESULT Write(DWORD size, const BYTE* data, DWORD* wrote);
    // A written file is finished first (chunk sizes, "fact" count): 0, or E_FAIL when that
    // failed. The file is closed either way.
    HRESULT Close();
    DWORD GetSize() const { return dataSize; }
    const WAVEFORMATEX* GetFormat() const { return reinterpret_cast<const WAVEFORMATEX*>(formatBlock.get()); }

private:
    // The chunk's data ends at or before rangeEnd (a file offset).
    static bool Fits(const MMCKINFO& chunk, DWORD rangeEnd);
    HRESULT ReadFormat(const MMCKINFO& fmtChunk);
    // The first chunk of the form with the id, entered: 0, missing when there is none, or
    // WAVE_OVERSIZE when a chunk before it claims more than the form has left.
    HRESULT FindChunk(FOURCC id, MMCKINFO* found, HRESULT missing);
    // Keeps a copy of the format: 18 bytes for PCM, with its extra bytes otherwise.
    void KeepFormat(const WAVEFORMATEX* source);
    HRESULT OpenForWriting(const char* file, const WAVEFORMATEX* format);
    HRESULT WriteMMIO();
    HRESULT FinishWriting();

    std::unique_ptr<BYTE[]> formatBlock;  // the WAVEFORMATEX with its extra bytes
    HMMIO mmio = nullptr;
    MMCKINFO dataChunk{};
    MMCKINFO riffChunk{};
    DWORD dataSize = 0;
    MMIOINFO writeInfo{};  // the I/O buffer while writing
    bool dataOpen = false;  // writing: the "data" chunk is open
    uint32_t mode = 0;
    bool fromMemory = false;
    const BYTE* memStart = nullptr;
    const BYTE* memPos = nullptr;
    DWORD memSize = 0;
};
