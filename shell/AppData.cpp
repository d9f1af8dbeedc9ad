#include "shell/AppData.h"

#include "library/Cp1252.h"
#include "library/PictureArchive.h"
#include "library/iDbRecs.h"
#include "platform/Paths.h"
#include "platform/StartupStages.h"
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

void TAppData::LoadWhenNeeded() {
    if (state_ == State::Absent) state_ = State::WhenNeeded;
}

void TAppData::Load() {
    if (state_ == State::Loaded || state_ == State::Freed) return;
    stages::Stage s("archive directory and text database");
    archiveIndex_ = LoadArchiveIndex(ProgramFile("orbelle.dat"));
    textDatabase_ = std::make_unique<TiDbRecFile>();
    textDatabase_->LoadFromFile(ProgramFile("Mandala.dat"));
    textDatabase_->ActivateAll();
    state_ = State::Loaded;
}

void TAppData::Free() {
    textDatabase_.reset();
    archiveIndex_.reset();
    state_ = State::Freed;
}

const TArchiveIndex* TAppData::Archive() {
    if (state_ == State::WhenNeeded) Load();
    return archiveIndex_.get();
}

int TAppData::Language() const { return LngID(); }

bool TAppData::FindText(const QString& key, QString& text) {
    if (state_ == State::WhenNeeded) Load();
    if (!textDatabase_) return false;
    QByteArray value;
    if (!textDatabase_->FindValue(ToCp1252(key), value)) return false;
    text = FromCp1252(value);
    return true;
}

QStringList TAppData::DatabaseLines(const QString& keyPrefix) {
    QString text;
    if (!FindText(keyPrefix + QString::number(Language()) + "|||", text)) return {};
    return SplitLines(text);
}

}  // namespace orb
