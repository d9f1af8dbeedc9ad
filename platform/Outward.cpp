#include "platform/Outward.h"

#include <QApplication>
#include "platform/Paths.h"
#include <QFile>
#include <dlfcn.h>
#include <QDesktopServices>
#include <QDir>
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
MessagePresenter& Presenter() {
    static MessagePresenter p;
    return p;
}
}  // namespace

void SetMessagePresenter(MessagePresenter presenter) { Presenter() = std::move(presenter); }

Outward& Out() {
    static Outward real;
    return g_replacement ? *g_replacement : real;
}

void SetOutward(Outward* replacement) { g_replacement = replacement; }

void Outward::Message(const QString& text, const QString& caption, MessageKind kind) {
    if (Presenter()) {
        Presenter()(text, caption, kind);
        return;
    }
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

QString PdfPrinterName() { return QStringLiteral("PDF"); }

QString DefaultPdfFile() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return folder + "/Mandala.pdf";
}

bool Outward::PrintSetup(QWidget* parent, QPrinter& printer) {
    // Without a system printer the dialog opens on printing to a PDF file, in the user's
    // documents rather than the (possibly read-only) current folder.
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(DefaultPdfFile());
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QStringList Outward::Printers() {
    // Printing to a PDF file always works, so it counts as an installed printer.
    return QPrinterInfo::availablePrinterNames() << PdfPrinterName();
}

bool Outward::StartProgram(const QString& program, const QStringList& args,
                           const QString& workFolder) {
    return QProcess::startDetached(program, args, workFolder);
}

bool Outward::OpenUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

namespace {
// Runs a desktop's settings tool; true when it ran and succeeded. Bounded: a tool that hangs
// (no session bus, say) is killed.
bool RunTool(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    if (QStandardPaths::findExecutable(program).isEmpty()) return false;
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (out) *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool GSettingsPicture(const char* schema, const QString& uri) {
    bool any = false;
    for (const char* key : {"picture-uri", "picture-uri-dark"})
        if (RunTool("gsettings", {"set", schema, key, uri})) any = true;
    return any;
}

bool PlasmaWallpaper(const QString& path) {
    const QString script = QStringLiteral(
        "var all = desktops(); for (var i = 0; i < all.length; i++) { var d = all[i];"
        " d.wallpaperPlugin = 'org.kde.image';"
        " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
        " d.writeConfig('Image', 'file://%1'); }").arg(path);
    for (const char* tool : {"qdbus6", "qdbus", "qdbus-qt5"})
        if (RunTool(tool, {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript",
                           script}))
            return true;
    return false;
}

bool XfceWallpaper(const QString& path) {
    // Every monitor and workspace has its own last-image property.
    QByteArray list;
    if (!RunTool("xfconf-query", {"-c", "xfce4-desktop", "-l"}, &list)) return false;
    bool any = false;
    for (const QByteArray& line : list.split('\n')) {
        const QString prop = QString::fromUtf8(line.trimmed());
        if (prop.endsWith("/last-image") &&
            RunTool("xfconf-query", {"-c", "xfce4-desktop", "-p", prop, "-s", path}))
            any = true;
    }
    if (!any)
        any = RunTool("xfconf-query", {"-c", "xfce4-desktop", "-p",
                                       "/backdrop/screen0/monitor0/workspace0/last-image", "-n",
                                       "-t", "string", "-s", path});
    return any;
}
}  // namespace

bool Outward::SetWallpaper(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    const QString uri = QUrl::fromLocalFile(path).toString();
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    if (desktop.contains("KDE")) return PlasmaWallpaper(path);
    if (desktop.contains("XFCE")) return XfceWallpaper(path);
    if (desktop.contains("MATE"))
        return RunTool("gsettings", {"set", "org.mate.background", "picture-filename", path});
    if (desktop.contains("CINNAMON")) return GSettingsPicture("org.cinnamon.desktop.background", uri);
    if (desktop.contains("GNOME") || desktop.contains("BUDGIE") || desktop.contains("UNITY") ||
        desktop.contains("PANTHEON"))
        return GSettingsPicture("org.gnome.desktop.background", uri);
    // An unknown desktop: the first settings tool that takes it.
    return XfceWallpaper(path) || PlasmaWallpaper(path);
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
