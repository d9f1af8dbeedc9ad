#pragma once
// What the pages of the main window share: the page control, the plain shapes, the look of
// labels and round buttons, and TPage, the base of the page objects. A page object builds its
// controls on its notebook page, owns them and their handlers; the main window keeps the
// caption bar, the navigation between pages, start-up and shutdown, and reaches the pages only
// through TPageHost.
#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>
#include <QStackedWidget>
#include <QString>

class QLabel;
class QImage;

namespace orb {

class TAppData;
class TBaseBtn;
class TBkControl;

namespace look {
inline const QColor kDarkBlue(0, 0, 100);
inline const QColor kOrange(255, 153, 51);
inline const QColor kLightBlue(63, 190, 254);
inline const QColor kMenuLabel(97, 97, 126);
inline const QColor kCream(244, 235, 219);
inline constexpr const char* kFont = "Palisade";
}  // namespace look

// A page control. Pages are found by the fixed identity given to AddPage (property "PageId");
// "PageName" is the shown name, which the language file may translate.
class TNotebook : public QStackedWidget {
    Q_OBJECT
public:
    explicit TNotebook(QWidget* parent = nullptr);
    QWidget* AddPage(const QString& name);
    QString ActivePage() const;
    void SetActivePage(const QString& name);
    int PageIndex() const { return currentIndex(); }
    void SetPageIndex(int i) { setCurrentIndex(i); }
    QWidget* Page(const QString& name) const;
};

// A plain shape (band or frame). With the mask mode its colour is ANDed into what lies below.
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, RoundRect, Circle };
    explicit TShape(QWidget* parent = nullptr);
    Kind ShapeKind = Kind::Rectangle;
    QColor BrushColor = Qt::white;
    int BrushStyleIndex = 0;  // fill style of the brush (0 solid, 1..6 hatches)
    bool BrushClear = false;
    QColor PenColor = Qt::black;
    bool PenClear = false;
    int PenWidth = 1;
    bool MaskMode = false;

protected:
    void paintEvent(QPaintEvent*) override;
};

// The colour of a round button follows its state: orange when enabled, light blue while the
// pointer is on it (or it is the active tool), navy with a dotted rim when disabled.
void ColourRoundButton(TBaseBtn* b);

// A style sheet written in design pixels. It is kept on the widget and set, scaled to the
// size class, when the window loads the pictures of the widget's page: each sheet set costs
// a style polish of the widget and its children, so a sheet is not set at design size only
// to be replaced, nor before its page is on show or the first frame is out.
void SetDesignStyleSheet(QWidget* w, const QString& sheet);
QString DesignStyleSheet(const QWidget* w);

// A label in the page look (font, colour, the help-arrow cursor); transparent behind.
QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& r, const QString& text, int tag,
                  int pixelSize, const QColor& color, bool italic = false,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop,
                  const QString& family = QString());

// The heading of a side page of the paint page: an orange disc and a bold title over it.
// The disc and the label are named shapeName and titleName.
struct TSideHeading {
    TShape* Shape;
    QLabel* Title;
};
TSideHeading MakeSideHeading(QWidget* page, const char* shapeName, const char* titleName,
                             const QString& title, int tag);

// What a page asks of the window that holds it: navigation, the hover look of its menu
// buttons, the status of the whole window, and the program's data.
class TPageHost {
public:
    virtual ~TPageHost() = default;
    // A menu choice or a back button (a button or its label as sender).
    virtual void MenuSBtnClick(QObject* sender) = 0;
    virtual void SBtnMouseIn(QObject* sender) = 0;
    virtual void SBtnMouseOut(QObject* sender) = 0;
    // Enabled states and looks of every round button.
    virtual void UpdateStatus() = 0;
    // The page shown ("Main", "History", "Paint").
    virtual QString ActivePage() const = 0;
    // The window: parent of dialogs, owner of window-wide shortcuts.
    virtual QWidget* Window() = 0;
    virtual TAppData& Data() = 0;
};

class TPage : public QObject {
    Q_OBJECT
public:
    TPage(TPageHost& host, QWidget* page);
    QWidget* PageWidget() const { return page_; }

    // The round buttons of the page, which UpdateStatus colours and which get glyphs.
    virtual QList<TBaseBtn*> RoundButtons() const = 0;
    // Background and page pictures for the current size class ("6x4", "8x6", "10x7" key).
    virtual void LoadPictures(const QImage& background, const QString& sizeKey) = 0;
    // The PNG resources LoadPictures reads, for reading them ahead.
    virtual QStringList PictureResources(const QString& sizeKey) const {
        (void)sizeKey;
        return {};
    }
    // The pointer is on the page but on no menu control: hover looks of menu buttons end.
    virtual void BkMouseMove() = 0;
    // A label that stands for a round button was clicked, or the pointer moves over it.
    virtual void SBtnClick(QObject* sender) = 0;
    virtual void SBtnMouseMove(QObject* sender) = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    // The full-page background control, passing its mouse moves to BkMouseMove.
    TBkControl* Background(const char* name);
    QLabel* Label(const char* name, const QRect& r, const QString& text, int tag, int pixelSize,
                  const QColor& color, bool italic = false,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop,
                  const QString& family = QString()) {
        return MakeLabel(page_, name, r, text, tag, pixelSize, color, italic, align, family);
    }
    TBaseBtn* RoundButton(QWidget* parent, const char* name, int x, int y, int tag,
                          const QString& hint);
    // A title label: the pointer on it counts as the background.
    void WatchTitle(QLabel* l);
    // A label that acts as a button: hover and click go to SBtnMouseMove and SBtnClick.
    void WatchButtonLabel(QLabel* l);

    TPageHost& Host;

private:
    QWidget* page_;
    QList<QObject*> titles_;
    QList<QObject*> buttonLabels_;
};

}  // namespace orb
