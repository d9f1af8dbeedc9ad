#include "shell/Recovery.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>

#include "paint/PaintSession.h"
#include "platform/Paths.h"

namespace orb {

namespace {
constexpr int kTickMs = 1000;
constexpr qint64 kMaxPlaceBytes = 64 * 1024;
}  // namespace

QString TRecovery::PictureFile() { return TempFolder() + "Orbelle-recovery.bmp"; }
QString TRecovery::PlaceFile() { return TempFolder() + "Orbelle-recovery.txt"; }

TRecovery::TRecovery(TPaintSession& session, std::function<TPlace()> place, QObject* parent)
    : QObject(parent), session_(session), place_(std::move(place)) {
    connect(&session_, &TPaintSession::changed, this, [this] { ++generation_; });
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Keep(); });
    timer_.start();
}

void TRecovery::Keep() {
    if (!session_.HasPicture() || !session_.Changed()) {
        if (onDisk_) Remove();
        onDisk_ = false;
        return;
    }
    if (onDisk_ && written_ == generation_) return;
    // A large drawing takes a while to write: never spend more than a tenth of the time on it.
    if (onDisk_ && sinceWrite_.isValid() && sinceWrite_.elapsed() < 10 * lastWriteMs_) return;
    QElapsedTimer took;
    took.start();
    const quint64 generation = generation_;
    if (Write()) {
        onDisk_ = true;
        written_ = generation;
    }
    lastWriteMs_ = took.elapsed();
    sinceWrite_.start();
}

bool TRecovery::Write() {
    QDir().mkpath(TempFolder());
    // The place first: a picture on disk always has the place that belongs to it or an
    // older one, never none.
    const TPlace p = place_ ? place_() : TPlace();
    QSaveFile place(PlaceFile());
    if (!place.open(QIODevice::WriteOnly)) return false;
    const QString text = QStringLiteral("name=%1\nsubject=%2\nrow=%3\nfile=%4\nfolder=%5\n")
                             .arg(QString(p.Name).remove('\n'))
                             .arg(p.Subject)
                             .arg(p.Row)
                             .arg(QString(p.SaveFile).remove('\n'), QString(p.SaveFolder).remove('\n'));
    place.write(text.toUtf8());
    if (!place.commit()) return false;
    // Written beside and renamed over: a kill in the middle leaves the previous copy whole.
    QSaveFile picture(PictureFile());
    if (!picture.open(QIODevice::WriteOnly)) return false;
    if (!session_.Picture().save(&picture, "BMP")) {
        picture.cancelWriting();
        return false;
    }
    return picture.commit();
}

std::optional<TRecovery::TFound> TRecovery::Find() {
    if (!QFile::exists(PictureFile())) return std::nullopt;
    TFound found;
    QImageReader reader(PictureFile(), "BMP");
    // Only what this program writes: a picture no larger than a drawing can be.
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > (qint64(1) << 28))
        return std::nullopt;
    if (!reader.read(&found.Picture) || found.Picture.isNull()) return std::nullopt;
    found.Picture = found.Picture.convertToFormat(QImage::Format_RGB32);
    QFile place(PlaceFile());
    if (place.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(place.read(kMaxPlaceBytes)).split('\n');
        for (const QString& line : lines) {
            const int eq = line.indexOf('=');
            if (eq < 0) continue;
            const QString key = line.left(eq), value = line.mid(eq + 1);
            if (key == "name") found.Place.Name = value;
            else if (key == "subject") found.Place.Subject = value.toInt();
            else if (key == "row") found.Place.Row = value.toInt();
            else if (key == "file") found.Place.SaveFile = value;
            else if (key == "folder") found.Place.SaveFolder = value;
        }
    }
    return found;
}

void TRecovery::Remove() {
    QFile::remove(PictureFile());
    QFile::remove(PlaceFile());
}

}  // namespace orb
