#include "platform/Outward.h"

#include <QApplication>
#include "platform/Paths.h"
#include <QFile>
#include <dlfcn.h>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
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
    using StartFn = bool (*)(const char*);
    using StopFn = void (*)();
    using PlayingFn = bool (*)();
    void* handle = nullptr;
    StartFn start = nullptr;
    StopFn stop = nullptr;
    PlayingFn playing = nullptr;
    Music() {
        // Beside the executable; no module means no music, not an error.
        const QString path = ProgramFile("orbelle_music.so");
        handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        start = reinterpret_cast<StartFn>(dlsym(handle, "orbelle_music_start"));
        stop = reinterpret_cast<StopFn>(dlsym(handle, "orbelle_music_stop"));
        playing = reinterpret_cast<PlayingFn>(dlsym(handle, "orbelle_music_playing"));
        if (!start || !stop || !playing) start = nullptr;
    }
};

bool Outward::MusicStart(const QString& file) {
    if (!QFileInfo::exists(file)) return false;
    if (!music_) music_ = std::make_shared<Music>();
    if (!music_->start) return false;
    return music_->start(QFile::encodeName(QFileInfo(file).absoluteFilePath()).constData());
}

void Outward::MusicStop() {
    if (music_ && music_->start) music_->stop();
}

bool Outward::MusicPlaying() const { return music_ && music_->start && music_->playing(); }

}  // namespace orb
