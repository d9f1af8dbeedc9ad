#pragma once
// TAboutBox: the about box, shown from the caption bar and briefly at exit.
#include <QWidget>
#include <functional>

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

    // Called when the box is shown (applies the language texts).
    std::function<void(TAboutBox*)> OnShow;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    void HotSpotClick(const QString& address);
};

extern TAboutBox* AboutBox;
extern bool AboutBoxAlive;
// Hook run each time the box is shown, set by the main window (language texts).
extern std::function<void(TAboutBox*)> AboutBoxShowHook;

void ShowAboutBox();
void CloseAboutBox();

}  // namespace orb
