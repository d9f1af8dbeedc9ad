#pragma once
// TAboutBox: the about box, shown from the caption bar and briefly at exit.
#include <QWidget>

namespace orb {

class TBaseBtn;
class TProportionalImage;

class TAboutBox : public QWidget {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    QWidget* BkPanel = nullptr;
    TProportionalImage* AboutBoxImage = nullptr;
    TBaseBtn* TessvaleSBtn = nullptr;
    TBaseBtn* PublisherSBtn = nullptr;

    static QString MakerAddress();
    static QString PublisherAddress();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    void HotSpotClick(const QString& address);
};

// The about box while it exists (shown or hidden), else null.
TAboutBox* AboutBox();
inline bool AboutBoxAlive() { return AboutBox() != nullptr; }

// Shows the box over the main window (made the first time), with the language's texts.
void ShowAboutBox();
// Hides it.
void CloseAboutBox();
// Frees it, at the end of the program.
void FreeAboutBox();

}  // namespace orb
