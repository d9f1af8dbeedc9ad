#include "platform/Outward.h"

#include <QApplication>
#include <QAudioOutput>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orb {

namespace {
Outward* g_replacement = nullptr;
}

Outward& Out() {
    static Outward real;
    return g_replacement ? *g_replacement : real;
}

void SetOutward(Outward* replacement) { g_replacement = replacement; }

void Outward::Message(const QString& text, const QString& caption, MessageKind kind) {
    QMessageBox box(kind == MessageKind::Error     ? QMessageBox::Critical
                    : kind == MessageKind::Warning ? QMessageBox::Warning
                                                   : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void Outward::Beep() { QApplication::beep(); }

QString Outward::OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString Outward::SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& suggested, const QString& filter) {
    QString start = folder;
    if (!suggested.isEmpty()) start = folder + suggested;
    return QFileDialog::getSaveFileName(parent, title, start, filter);
}

bool Outward::PrintSetup(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QStringList Outward::Printers() { return QPrinterInfo::availablePrinterNames(); }

bool Outward::StartProgram(const QString& program, const QStringList& args,
                           const QString& workFolder) {
    return QProcess::startDetached(program, args, workFolder);
}

bool Outward::OpenUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool Outward::SetWallpaper(const QString& file) {
    const QString uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString();
    bool any = false;
    if (!QStandardPaths::findExecutable("gsettings").isEmpty()) {
        for (const char* key : {"picture-uri", "picture-uri-dark"}) {
            QProcess p;
            p.start("gsettings", {"set", "org.gnome.desktop.background", key, uri});
            if (p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit &&
                p.exitCode() == 0)
                any = true;
        }
    }
    if (!any && !QStandardPaths::findExecutable("xfconf-query").isEmpty()) {
        QProcess p;
        p.start("xfconf-query", {"-c", "xfce4-desktop", "-p",
                                 "/backdrop/screen0/monitor0/workspace0/last-image", "-s",
                                 QFileInfo(file).absoluteFilePath()});
        any = p.waitForFinished(5000) && p.exitCode() == 0;
    }
    return any;
}

struct Outward::Music {
    QMediaPlayer player;
    QAudioOutput output;
    Music() { player.setAudioOutput(&output); }
};

bool Outward::MusicStart(const QString& file) {
    if (!QFileInfo::exists(file)) return false;
    // No audio device, or no multimedia backend, means silence rather than an error.
    if (!music_) music_ = std::make_shared<Music>();
    music_->player.setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    music_->player.setLoops(QMediaPlayer::Infinite);
    music_->player.play();
    return music_->player.error() == QMediaPlayer::NoError;
}

void Outward::MusicStop() {
    if (!music_) return;
    music_->player.stop();
    music_->player.setSource(QUrl());
}

bool Outward::MusicPlaying() const {
    return music_ && music_->player.playbackState() == QMediaPlayer::PlayingState;
}

}  // namespace orb
