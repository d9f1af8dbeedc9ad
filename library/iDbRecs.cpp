#include "library/iDbRecs.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orb {

void DbTransform(char* data, std::size_t size) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // As signed bytes: 1..127 gain 0x7F, -128..-2 lose 0x7F, 0 and -1 stay.
    const __m128i k7f = _mm_set1_epi8(0x7F);
    const __m128i zero = _mm_setzero_si128();
    const __m128i minus1 = _mm_set1_epi8(-1);
    for (; i + 16 <= size; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i up = _mm_and_si128(_mm_cmpgt_epi8(v, zero), k7f);
        __m128i down = _mm_and_si128(_mm_cmplt_epi8(v, minus1), k7f);
        v = _mm_sub_epi8(_mm_add_epi8(v, up), down);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(data + i), v);
    }
#endif
    for (; i < size; ++i)
        data[i] = static_cast<char>(DbTransformByte(static_cast<unsigned char>(data[i])));
}

TiDbRecFile::TiDbRecFile() = default;

TiDbRecFile::~TiDbRecFile() { Clear(); }

void TiDbRecFile::Clear() {
    // The chain only points at the records; drop its nodes from the last to the first.
    while (FRecords.Count() > 0) FRecords.Delete(FRecords.Count());
    FStore.clear();
    FData.clear();
    FActiveCount = 0;
    FCacheIndex = 0;
    FCachePosition = 0;
}

namespace {

inline uint32_t U32(const char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;  // the file is little-endian, like every machine we build for
}
inline uint16_t U16(const char* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

}  // namespace

std::size_t TiDbRecFile::ParseAvailable(std::size_t pos, std::size_t have, int32_t& remaining) {
    char* base = FData.data();
    while (remaining > 0 && pos + 8 <= have) {
        const char* head = base + pos;
        const uint16_t k = U16(head + 4);
        const uint16_t v = U16(head + 6);
        const std::size_t end = pos + 8 + k + v;
        if (end > have) break;
        TiDbRec& rec = FStore.emplace_back().Rec;
        rec.Field = static_cast<int32_t>(U32(head));
        rec.KeyLen = k;
        rec.ValueLen = v;
        rec.Key = k ? base + pos + 8 : nullptr;
        rec.Value = v ? base + pos + 8 + k : nullptr;
        if (!FRecords.Add(&rec)) {
            FStore.pop_back();
            remaining = -1;
            return pos;
        }
        pos = end;
        --remaining;
    }
    return pos;
}

bool TiDbRecFile::LoadFromFile(const QString& fileName) {
    try {
        return Load(fileName);
    } catch (const std::bad_alloc&) {
        // A file larger than memory is one that cannot be read.
        Clear();
        return false;
    }
}

bool TiDbRecFile::Load(const QString& fileName) {
    Clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const qint64 size = file.size();
    if (size < 4) return false;
    FData = QByteArray(size, Qt::Uninitialized);
    // Read in pieces and parse each as it arrives, so the transform runs on bytes that are
    // still in the cache.
    constexpr qint64 kPiece = 256 * 1024;
    qint64 have = 0;
    std::size_t pos = 4;
    int32_t remaining = -2;  // unknown until the count is in
    while (have < size) {
        const qint64 n = file.read(FData.data() + have, std::min(kPiece, size - have));
        if (n <= 0) break;
        have += n;
        if (remaining == -2) {
            if (have < 4) continue;
            const int32_t count = static_cast<int32_t>(U32(FData.constData()));
            remaining = count > 0 ? count : 0;
        }
        pos = ParseAvailable(pos, std::size_t(have), remaining);
        if (remaining <= 0) break;
    }
    if (remaining == -2) {
        Clear();
        return false;
    }
    return remaining == 0;
}

bool TiDbRecFile::LoadFromBytes(const QByteArray& bytes) {
    Clear();
    if (bytes.size() < 4) return false;
    try {
        FData = bytes;
        FData.detach();
        const int32_t count = static_cast<int32_t>(U32(FData.constData()));
        int32_t remaining = count > 0 ? count : 0;
        ParseAvailable(4, std::size_t(FData.size()), remaining);
        return remaining == 0;
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
}

void TiDbRecFile::ActivateAll() {
    const int32_t n = FRecords.Count();
    for (int32_t i = 1; i <= n; ++i) SlotAt(i)->Rec.Active = true;
    FActiveCount = n;
    FCacheIndex = 0;
    FCachePosition = 0;
}

int32_t TiDbRecFile::PositionOf(int32_t a) {
    // Count active records from the remembered pair or from either end, whichever is nearer.
    const int32_t total = FRecords.Count();
    int32_t idx, pos;
    const int32_t fromCache = FCacheIndex > 0 ? std::abs(a - FCacheIndex) : INT32_MAX;
    const int32_t fromStart = a - 1;
    const int32_t fromEnd = FActiveCount - a;
    if (fromCache <= fromStart && fromCache <= fromEnd) {
        idx = FCacheIndex;
        pos = FCachePosition;
    } else if (fromStart <= fromEnd) {
        idx = 0;
        pos = 0;
    } else {
        idx = FActiveCount + 1;
        pos = total + 1;
    }
    while (idx < a) {
        ++pos;
        if (pos > total) return 0;
        if (SlotAt(pos)->Rec.Active) ++idx;
    }
    while (idx > a) {
        --pos;
        if (pos < 1) return 0;
        if (SlotAt(pos)->Rec.Active) --idx;
    }
    FCacheIndex = a;
    FCachePosition = pos;
    return pos;
}

const TiDbRec& TiDbRecFile::Decode(Slot* s) {
    if (!s->Decoded) {
        // Key and value lie back to back.
        if (s->Rec.KeyLen + s->Rec.ValueLen > 0)
            DbTransform(const_cast<char*>(s->Rec.Key ? s->Rec.Key : s->Rec.Value),
                        std::size_t(s->Rec.KeyLen) + s->Rec.ValueLen);
        s->Decoded = true;
    }
    return s->Rec;
}

TiDbRec TiDbRecFile::GetRecord(int32_t n) {
    if (n < 1 || n > FActiveCount) return TiDbRec{};
    const int32_t pos = PositionOf(n);
    if (pos < 1) return TiDbRec{};
    return Decode(SlotAt(pos));
}

bool TiDbRecFile::GetRecord(int32_t n, QByteArray& key, QByteArray& value) {
    if (n < 1 || n > FActiveCount) {
        key.clear();
        value.clear();
        return false;
    }
    const TiDbRec rec = GetRecord(n);
    key = rec.KeyBytes();
    value = rec.ValueBytes();
    return true;
}

bool TiDbRecFile::FindValue(const QByteArray& key, QByteArray& value) {
    value.clear();
    if (key.isEmpty()) return false;
    // Records not handed out yet still hold stored bytes: compare those with the stored
    // form of the key (the transform maps bytes one to one).
    QByteArray stored = key;
    DbTransform(stored.data(), std::size_t(stored.size()));
    const int32_t count = RecordCount();
    for (int32_t n = 1; n <= count; ++n) {
        const int32_t pos = PositionOf(n);
        if (pos < 1) break;
        Slot* s = SlotAt(pos);
        const QByteArray& want = s->Decoded ? key : stored;
        if (s->Rec.Key && s->Rec.KeyLen == want.size() &&
            std::memcmp(s->Rec.Key, want.constData(), s->Rec.KeyLen) == 0) {
            value = Decode(s).ValueBytes();
            return true;
        }
    }
    return false;
}

}  // namespace orb
