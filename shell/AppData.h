#pragma once
// TAppData: the program's data that the pages read: the text database, the picture archive's
// directory, the picture loader, the open and save dialogs' titles and the language. The main
// window creates it at start-up and hands it to the pages; it frees the files at shutdown.
// The files are read on first use or right after the window's first frame, whichever comes
// first: the first frame shows nothing of them.
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

    // From now on the archive's directory ("orbelle.dat") and the text database
    // ("Mandala.dat") are read from the program folder when first asked for; until then both
    // are absent. A missing file leaves its part absent.
    void LoadWhenNeeded();
    // Reads both now, unless they are read already or freed.
    void Load();
    // Frees both files; they stay absent.
    void Free();
    // Whether the files have been read.
    bool Loaded() const { return state_ == State::Loaded; }

    // The archive's directory; null when absent.
    const TArchiveIndex* Archive();
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
    QStringList DatabaseLines(const QString& keyPrefix);
    // The raw value of a key; false when absent.
    bool FindText(const QString& key, QString& text);

private:
    enum class State { Absent, WhenNeeded, Loaded, Freed };
    State state_ = State::Absent;
    std::unique_ptr<TArchiveIndex> archiveIndex_;
    std::unique_ptr<TiDbRecFile> textDatabase_;
};

}  // namespace orb
