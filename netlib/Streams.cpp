#include "Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Errors.h"

namespace kestrup {

int64_t TStream::Size() {
    int64_t here = Seek(0, soFromCurrent);
    int64_t end = Seek(0, soFromEnd);
    Seek(here, soFromBeginning);
    return end;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t n =
        std::clamp<int64_t>(int64_t(FData.size()) - FPosition, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, FData.data() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (FPosition + count > int64_t(FData.size())) FData.resize(size_t(FPosition + count));
    std::memcpy(FData.data() + FPosition, buffer, size_t(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin) {
    int64_t base = origin == soFromBeginning ? 0
                   : origin == soFromCurrent ? FPosition
                                             : int64_t(FData.size());
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

TFileStream::TFileStream(const std::string& fileName, TMode mode) {
    if (!FFile.Open(fileName, mode == fmOpenRead ? files::TFile::OpenRead : files::TFile::Create))
        throw EKestrupError((mode == fmOpenRead ? "Cannot open file " : "Cannot create file ") +
                            fileName + ": " + FFile.Error());
}

TFileStream::~TFileStream() = default;

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t n = FFile.Read(buffer, count);
    if (n < 0) throw EKestrupError("Read error: " + FFile.Error());
    return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (!FFile.Write(buffer, count)) throw EKestrupError("Write error: " + FFile.Error());
    return count;
}

int64_t TFileStream::Seek(int64_t offset, int origin) {
    int64_t r = FFile.Seek(offset, origin);
    if (r < 0) throw EKestrupError("Seek error");
    return r;
}

TBufferStream::TBufferStream(TStream& inner) : FInner(inner), FBuffer(BufferSize) {
    FInnerPos = FInner.Position();
}

TBufferStream::~TBufferStream() {
    try {
        Flush();
    } catch (...) {
        // A destructor cannot report; the data that could not be written is lost.
    }
}

void TBufferStream::Flush() {
    if (FState == bsWriting && FBufPos > 0) {
        FInner.Seek(FInnerPos, soFromBeginning);
        if (FInner.Write(FBuffer.data(), FBufPos) != FBufPos) throw EKestrupError("Seek error");
        FInnerPos += FBufPos;
        FBufPos = 0;
        if (OnFlush) OnFlush(*this);
    }
    if (FState == bsWriting) FState = bsNone;
}

void TBufferStream::DropReadBuffer() {
    if (FState == bsReading) {
        FInnerPos += FBufPos;
        FBufPos = FBufEnd = 0;
        FState = bsNone;
    }
}

int64_t TBufferStream::Read(void* buffer, int64_t count) {
    Flush();
    char* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        if (FState != bsReading || FBufPos >= FBufEnd) {
            DropReadBuffer();
            FInner.Seek(FInnerPos, soFromBeginning);
            FBufEnd = FInner.Read(FBuffer.data(), BufferSize);
            FBufPos = 0;
            FState = bsReading;
            if (OnFill) OnFill(*this);
            if (FBufEnd <= 0) {
                FBufEnd = 0;
                break;
            }
        }
        int64_t n = std::min(count - done, FBufEnd - FBufPos);
        std::memcpy(out + done, FBuffer.data() + FBufPos, size_t(n));
        FBufPos += n;
        done += n;
    }
    return done;
}

int64_t TBufferStream::Write(const void* buffer, int64_t count) {
    DropReadBuffer();
    FState = bsWriting;
    const char* in = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min(count - done, BufferSize - FBufPos);
        std::memcpy(FBuffer.data() + FBufPos, in + done, size_t(n));
        FBufPos += n;
        done += n;
        if (FBufPos == BufferSize) {
            Flush();
            FState = bsWriting;
        }
    }
    return done;
}

int64_t TBufferStream::Seek(int64_t offset, int origin) {
    int64_t current = FInnerPos + FBufPos;
    int64_t target;
    switch (origin) {
        case soFromBeginning:
            target = offset;
            break;
        case soFromCurrent:
            target = current + offset;
            break;
        case soFromEnd:
            target = Size() - offset;
            break;
        default:
            throw EKestrupError("Invalid seek origin = " + std::to_string(origin));
    }
    if (target == current) return current;
    Flush();
    DropReadBuffer();
    FInnerPos = FInner.Seek(target, soFromBeginning);
    return FInnerPos;
}

int64_t TBufferStream::Size() {
    int64_t pendingEnd = FState == bsWriting ? FInnerPos + FBufPos : 0;
    int64_t here = FInner.Position();
    int64_t size = FInner.Seek(0, soFromEnd);
    FInner.Seek(here, soFromBeginning);
    return std::max(size, pendingEnd);
}

void TBufferStream::PutBack(char c) {
    if (FState != bsReading || FBufPos == 0) throw EKestrupError("PutBack overflow");
    FBuffer[size_t(--FBufPos)] = c;
}

}  // namespace kestrup
