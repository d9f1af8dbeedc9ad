#pragma once
// An Outward that records what the program asks of the outside world.
#include <QStringList>
#include <functional>

#include "platform/Failure.h"
#include "platform/Outward.h"

struct RecordingOutward : orb::Outward {
    QStringList messages, urls, started;
    std::optional<bool> answer;
    int questions = 0;
    int beeps = 0;
    void Beep() override { ++beeps; }
    QStringList printers;
    bool musicOn = false;
    int musicStarts = 0;

    void Message(const QString& text, const QString&, orb::MessageKind) override {
        messages << text;
    }
    std::optional<bool> YesNo(const QString&, const QString&) override {
        ++questions;
        return answer ? answer : std::optional<bool>(false);
    }
    bool StartProgram(const QString& p, const QStringList& a, const QString&) override {
        started << (p + " " + a.join(' ')).trimmed();
        return true;
    }
    bool OpenUrl(const QString& u) override {
        urls << u;
        return true;
    }
    QStringList Printers() override { return printers; }
    bool MusicStart(const QString&) override {
        ++musicStarts;
        musicOn = true;
        return true;
    }
    void MusicStop() override { musicOn = false; }
    // File dialogs: the scripted answer, empty meaning cancelled.
    QString openAnswer, saveAnswer;
    QStringList saveFolders;  // the folder each save dialog opened in
    int openDialogs = 0;
    QString openFailure;  // when set, the open dialog fails with this text
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        ++openDialogs;
        if (!openFailure.isEmpty()) throw orb::EOrbelleError(openFailure);
        return openAnswer;
    }
    QString SaveFileName(QWidget*, const QString&, const QString& folder, const QString&,
                         const QString&) override {
        saveFolders << folder;
        return saveAnswer;
    }
    // The printer dialog: the script sets the printer up (a PDF file, say); none cancels.
    std::function<bool(QPrinter&)> printSetup;
    bool PrintSetup(QWidget*, QPrinter& printer) override {
        return printSetup ? printSetup(printer) : false;
    }
    QStringList wallpapers;
    bool wallpaperTaken = true;
    bool SetWallpaper(const QString& file) override {
        wallpapers << file;
        return wallpaperTaken;
    }
    bool MusicPlaying() const override { return musicOn; }
};

// Installs the recorder for the lifetime of a test.
struct ScopedOutward {
    RecordingOutward rec;
    ScopedOutward() { orb::SetOutward(&rec); }
    ~ScopedOutward() { orb::SetOutward(nullptr); }
};
