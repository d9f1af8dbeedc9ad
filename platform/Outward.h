#pragma once
// Every modal question and every effect outside the program passes through here, so a
// test can script it. The default implementation does the real thing.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class QPrinter;

namespace orb {

enum class MessageKind { Info, Error, Warning };

class Outward {
public:
    virtual ~Outward() = default;

    // A modal box with an OK button.
    virtual void Message(const QString& text, const QString& caption, MessageKind kind);

    // The system's warning sound (refused input).
    virtual void Beep();

    // A Yes/No question. An empty result means "not scripted: show the real dialog".
    virtual std::optional<bool> YesNo(const QString& title, const QString& text) { return {}; }

    // File dialogs; an empty text means cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter);
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& suggested, const QString& filter);
    // Printer set-up dialog; true when the user confirmed. Printing to a PDF file is one of
    // its choices, and the one it opens on when the system has no printer.
    virtual bool PrintSetup(QWidget* parent, QPrinter& printer);
    // The installed printers; the PDF printer (PdfPrinterName) is always among them.
    virtual QStringList Printers();

    // Starts a program detached; true on success.
    virtual bool StartProgram(const QString& program, const QStringList& args,
                              const QString& workFolder);
    // Opens a web address in the user's browser; true when a browser was started.
    virtual bool OpenUrl(const QString& url);
    // Makes the given picture file the desktop background; true on success.
    virtual bool SetWallpaper(const QString& file);

    // Background music: start looping the file, or stop. Start returns false when nothing plays.
    virtual bool MusicStart(const QString& file);
    virtual void MusicStop();
    virtual bool MusicPlaying() const;

private:
    struct Music;
    std::shared_ptr<Music> music_;
};

// How the program shows Message boxes in its own look; without one, Qt's message box.
using MessagePresenter = std::function<void(const QString& text, const QString& caption,
                                            MessageKind kind)>;
void SetMessagePresenter(MessagePresenter presenter);

// The name the PDF printer has in Printers().
QString PdfPrinterName();
// Where printing to a PDF file goes unless the user chooses otherwise.
QString DefaultPdfFile();

// The active implementation. Never null.
Outward& Out();
// Installs a replacement (tests); nullptr restores the real one. Not owned.
void SetOutward(Outward* replacement);

}  // namespace orb
