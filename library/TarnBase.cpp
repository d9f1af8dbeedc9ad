#include "library/TarnBase.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <cstring>

#include "library/Cp1252.h"

namespace orb {
namespace {

constexpr int kTextMax = 255;

template <typename T>
T Load(const uchar* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

QByteArray ShortString(const uchar* p) {
    int len = p[0];
    if (len > kTarnNameMax) len = kTarnNameMax;
    return QByteArray(reinterpret_cast<const char*>(p + 1), len);
}

QByteArray Cut(QByteArray s) {
    if (s.size() > kTextMax) s.truncate(kTextMax);
    return s;
}

// Turbo Pascal's 6-byte real: exponent byte (bias 129), 39-bit fraction, sign on top.
}  // namespace

double TarnReal48ToDouble(const uchar* p) {
    if (p[0] == 0) return 0.0;
    uint64_t frac = 0;
    for (int i = 5; i >= 1; --i) frac = frac << 8 | p[i];
    const bool negative = frac >> 39 & 1;
    frac &= (uint64_t(1) << 39) - 1;
    const double m = 1.0 + std::ldexp(double(frac), -39);
    const double v = std::ldexp(m, int(p[0]) - 129);
    return negative ? -v : v;
}

// The x87 80-bit extended format: 64-bit significand with explicit integer bit.
double TarnExtendedToDouble(const uchar* p) {
    const uint64_t mant = Load<uint64_t>(p);
    const uint16_t se = Load<uint16_t>(p + 8);
    const bool negative = se & 0x8000;
    const int exp = se & 0x7FFF;
    double v;
    if (exp == 0x7FFF)
        v = (mant << 1) ? std::nan("") : INFINITY;
    else if (exp == 0 && mant == 0)
        v = 0.0;
    else
        v = std::ldexp(double(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
    return negative ? -v : v;
}

namespace {

QByteArray NumberText(double v, const TTarnColumn& col) {
    QByteArray s = QByteArray::number(v, 'f', col.Decimals());
    if (col.Style() == 1) {
        const qsizetype dot = s.indexOf('.');
        if (dot >= 0) s[dot] = ',';
    } else if (col.Style() == 2) {
        s += '%';
    }
    return s;
}

QByteArray Int64Text(int64_t v, const TTarnColumn& col) {
    // Written exactly; fixed notation only adds the zero decimals.
    QByteArray s = QByteArray::number(qlonglong(v));
    if (col.Decimals() > 0) s += '.' + QByteArray(col.Decimals(), '0');
    if (col.Style() == 1) {
        const qsizetype dot = s.indexOf('.');
        if (dot >= 0) s[dot] = ',';
    } else if (col.Style() == 2) {
        s += '%';
    }
    return s;
}

QByteArray DateTimeText(double stored, uint8_t style) {
    // Stored as days since the start of year 1 plus 1; the program's day 0 is 1899-12-30.
    const double v = stored - 693594.0;
    if (!std::isfinite(v) || std::fabs(v) > 3.0e6) return QByteArray();
    const double whole = std::trunc(v);
    const double frac = std::fabs(v - whole);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    qint64 ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms));
    if (!date.isValid()) return QByteArray();
    const QLocale loc = QLocale::system();
    QString text;
    switch (style) {
        case 0:
            text = loc.toString(date, QLocale::ShortFormat) + ' ' +
                   loc.toString(time, QLocale::ShortFormat);
            break;
        case 1:
            text = loc.toString(date, QLocale::LongFormat) + ' ' +
                   loc.toString(time, QLocale::LongFormat);
            break;
        case 2:
            text = loc.toString(date, QLocale::ShortFormat);
            break;
        case 3:
            text = loc.toString(date, QLocale::LongFormat);
            break;
        case 4:
            text = loc.toString(time, QLocale::ShortFormat);
            break;
        case 5:
            text = loc.toString(time, QLocale::LongFormat);
            break;
        default:
            // Date alone at midnight, date and time otherwise.
            text = loc.toString(date, QLocale::ShortFormat);
            if (ms != 0) text += ' ' + loc.toString(time, QLocale::LongFormat);
            break;
    }
    return ToCp1252(text);
}

}  // namespace

int TTarnColumn::StringLength() const {
    const int len = Load<uint16_t>(Params);
    return len == 0 ? 63 : len;
}
int32_t TTarnColumn::ListTable() const { return Load<int32_t>(Params); }
int32_t TTarnColumn::ListColumn() const { return Load<int32_t>(Params + 4); }
uint32_t TTarnColumn::ListCount() const {
    const uint32_t n = Load<uint32_t>(Params + 8);
    return n == 0 ? 10 : n;
}

int64_t TarnFieldSize(uint8_t type, const uint8_t* params) {
    switch (type) {
        case ttBoolean:
        case ttByte:
        case ttShortInt:
            return 1;
        case ttWord:
            return 2;
        case ttInteger:
        case ttInteger6:
        case ttInteger7:
        case ttSingle:
            return 4;
        case ttReal48:
            return 6;
        case ttInt64:
        case ttDateTime:
        case ttDouble:
            return 8;
        case ttExtended:
            return 10;
        case ttString: {
            const int len = Load<uint16_t>(params);
            return len == 0 ? 63 : len;
        }
        case ttList: {
            const uint32_t n = Load<uint32_t>(params + 8);
            return 4 * int64_t(n == 0 ? 10 : n);
        }
        default:
            return 0;
    }
}

void TarnPasswordData(const QByteArray& salt, const QByteArray& password, float data[63]) {
    for (int i = 0; i < 63; ++i) data[i] = 0.0f;
    const QByteArray digest =
        QCryptographicHash::hash(salt.left(16) + password, QCryptographicHash::Sha256);
    for (int i = 0; i < 16 && i < salt.size(); ++i) data[i] = float(uchar(salt[i]));
    for (int i = 0; i < 32; ++i) data[16 + i] = float(uchar(digest[i]));
}

TTarnObject::TTarnObject() = default;
TTarnObject::~TTarnObject() { Close(); }

void TTarnObject::Close() {
    while (FColumns.Count() > 0) FColumns.Delete(FColumns.Count());
    while (FTables.Count() > 0) FTables.Delete(FTables.Count());
    FColumnStore.clear();
    FTableStore.clear();
    if (FData && FDataCopy.isEmpty()) FDataFile.unmap(const_cast<uchar*>(FData));
    FData = nullptr;
    FDataCopy.clear();
    FDataSize = 0;
    FDataFile.close();
    FTransform = false;
    FOpen = false;
    FIndexTable = FIndexColumn = FScanTable = FScanColumn = 0;
    FIndex.clear();
}

bool TTarnObject::ReadDefinition(const QByteArray& def, const QByteArray& password) {
    const auto* p = reinterpret_cast<const uchar*>(def.constData());
    const int64_t size = def.size();
    if (size < kTarnHeaderSize) return false;
    if (p[5] != 8 || std::memcmp(p + 6, "TarnBase", 8) != 0) return false;
    if (Load<int16_t>(p + 270) != kTarnVersion) return false;
    const uint32_t tables = Load<uint32_t>(p);
    FTransform = p[4] != 0;

    const float marker = Load<float>(p + 14);
    if (marker != 0.0f) {
        // Only our own scheme (marker 1) is known; anything else stays shut.
        if (marker != 1.0f) return false;
        float data[63];
        std::memcpy(data, p + 18, sizeof data);
        QByteArray salt;
        for (int i = 0; i < 16; ++i) {
            if (!(data[i] >= 0.0f && data[i] <= 255.0f) || data[i] != std::trunc(data[i]))
                return false;
            salt += char(uchar(data[i]));
        }
        float expect[63];
        TarnPasswordData(salt, password, expect);
        if (std::memcmp(expect, data, sizeof data) != 0) return false;
    }

    int64_t pos = kTarnHeaderSize;
    for (uint32_t t = 0; t < tables; ++t) {
        if (pos + kTarnTableSize > size) return false;
        const uchar* tr = p + pos;
        pos += kTarnTableSize;
        auto table = std::make_unique<TTarnTable>();
        const int32_t columns = Load<int32_t>(tr);
        table->ColumnCount = columns > 0 ? columns : 0;
        table->Name = ShortString(tr + 4);
        table->RecordCount = Load<int32_t>(tr + 68);
        table->Flag = tr[72];
        table->FirstOffset = Load<uint32_t>(tr + 73);
        table->FirstColumn = FColumns.Count() + 1;
        // Each column record must be present, which also bounds a hostile column count.
        if (int64_t(table->ColumnCount) * kTarnColumnSize > size - pos) return false;
        int64_t offset = 0;
        for (int32_t c = 0; c < table->ColumnCount; ++c) {
            const uchar* cr = p + pos;
            pos += kTarnColumnSize;
            auto col = std::make_unique<TTarnColumn>();
            col->Name = ShortString(cr + 5);
            col->Type = cr[70];
            std::memcpy(col->Params, cr + 71, sizeof col->Params);
            col->Size = TarnFieldSize(col->Type, col->Params);
            col->Offset = offset;
            offset += col->Size;  // at most 2^34 per column, so no overflow in any real count
            if (!FColumns.Add(col.get())) return false;
            FColumnStore.push_back(std::move(col));
        }
        table->RecordLength = offset;
        if (!FTables.Add(table.get())) return false;
        FTableStore.push_back(std::move(table));
    }
    return true;
}

bool TTarnObject::Open(const QString& dataFile, const QString& definitionFile,
                       const QString& thirdFile, const QByteArray& password) {
    Close();
    if (!QFileInfo(dataFile).isFile()) return false;
    const bool oneFile = definitionFile == dataFile;
    if (!oneFile && !QFileInfo(definitionFile).isFile()) return false;
    if (!thirdFile.isEmpty() && QFileInfo::exists(thirdFile)) return false;

    FDataFile.setFileName(dataFile);
    if (!FDataFile.open(QIODevice::ReadOnly)) return false;
    FDataSize = FDataFile.size();
    if (FDataSize > 0) FData = FDataFile.map(0, FDataSize);
    if (!FData && FDataSize > 0) {
        FDataCopy = FDataFile.readAll();
        if (FDataCopy.size() != FDataSize) {
            Close();
            return false;
        }
        FData = reinterpret_cast<const uchar*>(FDataCopy.constData());
    }

    QByteArray def;
    if (oneFile) {
        def = QByteArray::fromRawData(reinterpret_cast<const char*>(FData), FDataSize);
    } else {
        QFile f(definitionFile);
        if (!f.open(QIODevice::ReadOnly)) {
            Close();
            return false;
        }
        def = f.readAll();
    }
    if (!ReadDefinition(def, password)) {
        Close();
        return false;
    }
    if (!oneFile && FTables.Count() == 1) {
        auto* t = static_cast<TTarnTable*>(FTables.Get(1));
        if (t->Flag == 0) {
            const int64_t n = t->RecordLength > 0 ? FDataSize / t->RecordLength : 0;
            t->RecordCount = n > INT32_MAX ? INT32_MAX : int32_t(n);
        }
    }
    FOpen = true;
    return true;
}

const TTarnTable* TTarnObject::Table(int32_t table) {
    return static_cast<const TTarnTable*>(FTables.Get(table));
}

const TTarnColumn* TTarnObject::Column(int32_t table, int32_t column) {
    const TTarnTable* t = Table(table);
    if (!t || column < 1 || column > t->ColumnCount) return nullptr;
    return static_cast<const TTarnColumn*>(FColumns.Get(t->FirstColumn + column - 1));
}

int32_t TTarnObject::FindTable(const QByteArray& name) {
    if (name.size() > kTarnNameMax) return 0;
    for (int32_t i = 1; i <= FTables.Count(); ++i)
        if (static_cast<const TTarnTable*>(FTables.Get(i))->Name == name) return i;
    return 0;
}

int32_t TTarnObject::FindColumn(int32_t table, const QByteArray& name) {
    const TTarnTable* t = Table(table);
    if (!t || name.size() > kTarnNameMax) return 0;
    for (int32_t c = 1; c <= t->ColumnCount; ++c)
        if (Column(table, c)->Name == name) return c;
    return 0;
}

int32_t TTarnObject::UsableRecords(int32_t table) {
    const TTarnTable* t = Table(table);
    if (!t || t->RecordCount <= 0) return 0;
    // A declared count beyond what the data part holds would only make lookups spin on
    // failing reads.
    const int64_t room = FDataSize - int64_t(t->FirstOffset);
    if (room < 0) return 0;
    if (t->RecordLength == 0) return 1;
    const int64_t fit = room / t->RecordLength;
    return int32_t(std::min<int64_t>(fit, t->RecordCount));
}

bool TTarnObject::ReadFieldBytes(int32_t table, int32_t column, int32_t record, QByteArray& bytes) {
    bytes.clear();
    const TTarnTable* t = Table(table);
    const TTarnColumn* c = Column(table, column);
    if (!t || !c || record < 1 || record > t->RecordCount) return false;
    // Checked arithmetic: every size here may come from a hostile file.
    int64_t pos;
    if (__builtin_mul_overflow(int64_t(record - 1), t->RecordLength, &pos)) return false;
    if (__builtin_add_overflow(pos, int64_t(t->FirstOffset) + c->Offset, &pos)) return false;
    if (pos < 0 || pos > FDataSize || c->Size > FDataSize - pos) return false;
    bytes = QByteArray(reinterpret_cast<const char*>(FData + pos), c->Size);
    return true;
}

QByteArray TTarnObject::ReadFieldAsText(int32_t table, int32_t column, int32_t record) {
    if (!FOpen) return QByteArray();
    return FieldText(table, column, record, 0);
}

QByteArray TTarnObject::FieldText(int32_t table, int32_t column, int32_t record, int depth) {
    const TTarnColumn* c = Column(table, column);
    if (!c) return QByteArray();
    QByteArray raw;
    if (!ReadFieldBytes(table, column, record, raw)) return QByteArray();
    const auto* p = reinterpret_cast<const uchar*>(raw.constData());
    switch (c->Type) {
        case ttBoolean: {
            static const char* const kWords[3][2] = {
                {"No", "Yes"}, {"False", "True"}, {"Off", "On"}};
            if (c->Style() > 2) return QByteArray();
            return kWords[c->Style()][p[0] != 0];
        }
        case ttByte:
            return QByteArray::number(p[0]);
        case ttShortInt:
            return QByteArray::number(int(int8_t(p[0])));
        case ttWord:
            return QByteArray::number(Load<uint16_t>(p));
        case ttInteger:
        case ttInteger6:
        case ttInteger7:
            return QByteArray::number(Load<int32_t>(p));
        case ttInt64:
            return Cut(Int64Text(Load<int64_t>(p), *c));
        case ttDateTime:
            return Cut(DateTimeText(Load<double>(p), c->Style()));
        case ttExtended:
            return Cut(NumberText(TarnExtendedToDouble(p), *c));
        case ttDouble:
            return Cut(NumberText(Load<double>(p), *c));
        case ttReal48:
            return Cut(NumberText(TarnReal48ToDouble(p), *c));
        case ttSingle:
            return Cut(NumberText(double(Load<float>(p)), *c));
        case ttString: {
            QByteArray s = raw;
            if (FTransform)
                for (char& ch : s) ch = char(TarnTransformByte(uchar(ch)));
            const qsizetype zero = s.indexOf('\0');
            if (zero >= 0) s.truncate(zero);
            return Cut(s);
        }
        case ttList: {
            // A list inside a list is not followed: a table referring to itself would
            // otherwise recurse without end.
            if (depth > 0) return QByteArray();
            const int32_t refTable = c->ListTable();
            const int32_t refColumn = c->ListColumn();
            if (!Column(refTable, refColumn)) return QByteArray();
            QByteArray out;
            bool first = true;
            for (int64_t i = 0; i + 4 <= raw.size() && out.size() <= kTextMax; i += 4) {
                const int32_t ref = Load<int32_t>(p + i);
                if (ref == 0) continue;
                if (!first) out += ',';
                out += FieldText(refTable, refColumn, ref, depth + 1);
                first = false;
            }
            return Cut(out);
        }
        default:
            return QByteArray();
    }
}

QByteArray TTarnObject::ReadFieldAsText(const QByteArray& table, const QByteArray& column,
                                        int32_t record) {
    if (!FOpen) return QByteArray();
    const int32_t t = FindTable(table);
    const int32_t c = t ? FindColumn(t, column) : 0;
    if (!c) return QByteArray();
    return FieldText(t, c, record, 0);
}

int32_t TTarnObject::FindRecord(const QByteArray& table, const QByteArray& column,
                                const QByteArray& value) {
    if (!FOpen) return 0;
    const int32_t t = FindTable(table);
    const int32_t c = t ? FindColumn(t, column) : 0;
    if (!c) return 0;
    const int32_t n = UsableRecords(t);
    if (FIndexTable != t || FIndexColumn != c) {
        if (FScanTable != t || FScanColumn != c) {
            // One look-up in a column is a scan; a second one there builds the index.
            FScanTable = t;
            FScanColumn = c;
            for (int32_t r = 1; r <= n; ++r)
                if (FieldText(t, c, r, 0) == value) return r;
            return 0;
        }
        FIndex.clear();
        FIndex.reserve(n);
        // Last to first, so that of equal texts the first record is the one kept.
        for (int32_t r = n; r >= 1; --r) FIndex.insert(FieldText(t, c, r, 0), r);
        FIndexTable = t;
        FIndexColumn = c;
    }
    return FIndex.value(value, 0);
}

}  // namespace orb
