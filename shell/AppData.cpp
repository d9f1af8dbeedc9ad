#include "shell/AppData.h"

#include "library/Cp1252.h"
#include "library/PictureArchive.h"
#include "library/iDbRecs.h"
#include "platform/Paths.h"
#include "shell/LangState.h"

namespace orb {

namespace {
QStringList SplitLines(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.size() == 1 && text.contains('\n')) lines = text.split('\n');
    // A value that ends with a line break has no empty last item.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
}  // namespace

TAppData::TAppData() = default;
TAppData::~TAppData() = default;

void TAppData::Load() {
    ArchiveIndex = LoadArchiveIndex(ProgramFile("orbelle.dat"));
    TextDatabase = std::make_unique<TiDbRecFile>();
    TextDatabase->LoadFromFile(ProgramFile("Mandala.dat"));
    TextDatabase->ActivateAll();
}

void TAppData::Free() {
    TextDatabase.reset();
    ArchiveIndex.reset();
}

int TAppData::Language() const { return LngID(); }

bool TAppData::FindText(const QString& key, QString& text) const {
    if (!TextDatabase) return false;
    QByteArray value;
    if (!TextDatabase->FindValue(ToCp1252(key), value)) return false;
    text = FromCp1252(value);
    return true;
}

QStringList TAppData::DatabaseLines(const QString& keyPrefix) const {
    QString text;
    if (!FindText(keyPrefix + QString::number(Language()) + "|||", text)) return {};
    return SplitLines(text);
}

}  // namespace orb
