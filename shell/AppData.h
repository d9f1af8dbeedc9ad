#pragma once
// TAppData: the program's data that the pages read: the text database, the picture archive's
// directory, the picture loader, the open and save dialogs' titles and the language. The main
// window creates it at start-up and hands it to the pages; it frees the files at shutdown.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace orb {

class TiDbRecFile;
struct TArchiveIndex;
class TPictureImage;

class TAppData {
public:
    TAppData();
    ~TAppData();

    // Reads the archive's directory ("orbelle.dat") and the text database ("Mandala.dat")
    // from the program folder; a missing file leaves its part absent.
    void Load();
    // Frees both files.
    void Free();

    std::unique_ptr<TArchiveIndex> ArchiveIndex;
    std::unique_ptr<TiDbRecFile> TextDatabase;
    // The main window's picture loader and dialogs (owned by the window).
    TPictureImage* PictureLoader = nullptr;
    QObject* OpenDialog = nullptr;
    QObject* SaveDialog = nullptr;
    // The face of the printed heading.
    QString HeadingFace;

    // The active language id (31 Dutch, 44 English).
    int Language() const;
    // The value of a text database key for the current language ("<prefix><id>|||"), split
    // into lines; empty when absent.
    QStringList DatabaseLines(const QString& keyPrefix) const;
    // The raw value of a key; false when absent.
    bool FindText(const QString& key, QString& text) const;
};

}  // namespace orb
