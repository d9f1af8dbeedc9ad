#pragma once
// TRecovery: a copy of the drawing being coloured in the temporary folder, so that a program
// that is killed or crashes loses at most the last second or so of colouring. A clean end
// removes it with the temporary folder; the next start offers to restore what it finds.
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

namespace orb {

class TPaintSession;

class TRecovery : public QObject {
    Q_OBJECT
public:
    // What is kept beside the picture: how the catalogue showed the drawing, and where the
    // save dialog would have offered to put it.
    struct TPlace {
        QString Name;  // the drawing's line in the drawings list
        int Subject = -1, Row = -1;
        QString SaveFile, SaveFolder;
        bool operator==(const TPlace&) const = default;
    };
    struct TFound {
        QImage Picture;
        TPlace Place;
    };

    TRecovery(TPaintSession& session, std::function<TPlace()> place, QObject* parent = nullptr);

    // Writes the copy now when the drawing changed since the last one; removes it when the
    // drawing has no unsaved changes. Runs by itself once a second.
    void Keep();

    // What an earlier run left behind, when it can be read.
    static std::optional<TFound> Find();
    static void Remove();
    static QString PictureFile();
    static QString PlaceFile();

private:
    bool Write();
    TPaintSession& session_;
    std::function<TPlace()> place_;
    QTimer timer_;
    QElapsedTimer sinceWrite_;
    qint64 lastWriteMs_ = 0;
    quint64 generation_ = 0, written_ = 0;
    bool onDisk_ = false;
};

}  // namespace orb
