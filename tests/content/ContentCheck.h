#pragma once
// Helpers shared by the content tests: the shipped data files, and a line-art check of
// our own, written apart from the generator's so that the two can catch each other.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "library/PictureArchive.h"
#include "library/iDbRecs.h"

namespace contenttest {

QString ProgramFile(const QString& name);

// The text database and the archive directory as the program loads them.
struct Shipped {
    orb::TiDbRecFile db;
    std::unique_ptr<orb::TArchiveIndex> archive;
    bool loaded = false;
};
Shipped& Data();

// Lines of the value of `key` (CR LF separated), empty when the key is absent.
QStringList Lines(const QString& key, bool* found = nullptr);
// Decoded archive member; a null image when the member is missing or does not decode.
QImage Member(const QString& name, orb::TArchiveEntry* entry = nullptr);

struct ArtReport {
    long notBlackOrWhite = 0;
    int regions4 = 0, regions8 = 0;  // white regions under 4- and 8-connectivity
    int smallest = 0;                // pixels of the smallest white region
    int necks = 0;                   // regions whose inside falls apart when lines grow by 1
};
ArtReport InspectLineArt(const QImage& image);

}  // namespace contenttest
