// Minimal seekable streams: memory, file, and the buffered wrapper.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Net.h"

namespace kestrup {

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    virtual int64_t Size();
    int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t position) { Seek(position, soFromBeginning); }
    void WriteString(const std::string& text) { Write(text.data(), int64_t(text.size())); }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string data) : FData(std::move(data)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Size() override { return int64_t(FData.size()); }
    const std::string& Data() const { return FData; }
    void Clear();

private:
    std::string FData;
    int64_t FPosition = 0;
};

class TFileStream : public TStream {
public:
    enum TMode { fmOpenRead, fmCreate };
    // Fails with EKestrupError when the file cannot be opened or created.
    TFileStream(const std::string& fileName, TMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;

private:
    files::TFile FFile;
};

// Wraps another stream with a 32,768-byte buffer. Pending writes reach the inner
// stream when the buffer is full, before a seek or a read, and when freed.
class TBufferStream : public TStream {
public:
    static constexpr int64_t BufferSize = 32768;
    explicit TBufferStream(TStream& inner);
    ~TBufferStream() override;
    TBufferStream(const TBufferStream&) = delete;
    TBufferStream& operator=(const TBufferStream&) = delete;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Size() override;
    // Puts one byte back before the read position.
    void PutBack(char c);
    void Flush();

    std::function<void(TBufferStream&)> OnFill;
    std::function<void(TBufferStream&)> OnFlush;

private:
    enum TState { bsNone, bsReading, bsWriting };
    TStream& FInner;
    std::vector<char> FBuffer;
    TState FState = bsNone;
    int64_t FBufPos = 0;    // next byte to read, or bytes collected for writing
    int64_t FBufEnd = 0;    // bytes filled while reading
    int64_t FInnerPos = 0;  // inner position matching the start of the buffer

    void DropReadBuffer();
};

}  // namespace kestrup
