#pragma once
// TMarkupControl: lays out and paints a small tag language (bold, italic, underline,
// strike-out, relative font sizes, pictures, hidden stretches, links and input fields).
// One routine does the layout; it measures while YMax is 0 and draws otherwise, so what
// is measured is what is drawn.
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/Failure.h"

class QPainter;

namespace orb {

struct TArchiveIndex;

class TMarkupControl : public QWidget {
    Q_OBJECT
public:
    // A clickable area of link text; a link that wraps has one area per line.
    struct TLinkArea {
        QRect Rect;
        QString HRef;
    };
    // What a pass placed, in the order placed (text runs, pictures and missing-picture frames).
    struct TPlaced {
        enum Kind { Run, Picture, Frame } What = Run;
        QRect Rect;  // text: left/top of the run, its advance and the font's height
        QString Text;
        QFont Font;
    };

    explicit TMarkupControl(QWidget* parent = nullptr);
    ~TMarkupControl() override;

    // Replaces the text (a null string: none) and lays it out at the parent's width.
    void SetMarkupText(const QString& text);
    const QString& MarkupText() const { return text_; }
    // Lays the text out again at the parent's width.
    void Relayout();

    // Picture by lower-case name: cache, then the archive, then a file; empty when nowhere.
    QImage FindImage(const QString& name);
    // Told when a picture file of the text does not decode (once per name).
    std::function<void(const TFailure&)> OnFailure;

    int XMax() const { return xMax_; }
    int YMax() const { return yMax_; }
    int dX() const { return dX_; }
    int dY() const { return dY_; }
    void SetdX(int v);
    void SetdY(int v);
    bool DrawFocused() const { return drawFocused_; }
    void SetDrawFocused(bool on);
    bool HorScrollBar() const { return horScrollBar_; }
    void SetHorScrollBar(bool on);
    bool VerScrollBar() const { return verScrollBar_; }
    void SetVerScrollBar(bool on);
    const QFont& HyperLinkFont() const { return linkFont_; }
    void SetHyperLinkFont(const QFont& f);
    // Input fields and link events follow this flag.
    bool InputEnabled() const { return inputEnabled_; }
    void SetInputEnabled(bool on);

    // The archive pictures are looked up in first (may be null).
    void SetArchive(const TArchiveIndex* archive) { archive_ = archive; }

    // Raised by a click in a link area and by input fields.
    std::function<void(QObject* sender, const QString& href)> OnHyperLinkClick;
    // Draws the background; without it the control is filled with its window colour.
    std::function<void(QPainter& p, const QRect& r)> PaintBackground;

    // The last pass's link areas and placed items.
    const QVector<TLinkArea>& LinkAreas() const { return links_; }
    const QVector<TPlaced>& Placed() const { return placed_; }
    // The input field created for a name, or null.
    QWidget* InputField(const QString& name) const;

    // One layout pass; draws when YMax is not 0 and a painter is given.
    void LayoutPass(QPainter* p);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct State;
    void Measure(int width);
    void PlaceRun(State& s, QPainter* p);
    void EndLine(State& s, bool wrap);
    void ApplyTag(State& s, const QString& tag, QPainter* p);
    void PlaceImage(State& s, const QString& tag, QPainter* p);
    void PlaceInput(State& s, const QString& tag);
    QFont CurrentFont(const State& s) const;
    void SetFont(State& s);
    void RaiseLink(const QString& href);

    QString text_;
    int xMax_ = 0;
    int yMax_ = 0;
    int dX_ = 0;
    int dY_ = 0;
    bool drawFocused_ = true;
    bool horScrollBar_ = false;
    bool verScrollBar_ = true;
    bool inputEnabled_ = true;
    QFont linkFont_;
    bool linkFontSet_ = false;  // until set, the link font follows the control's font
    const TArchiveIndex* archive_ = nullptr;
    QHash<QString, QImage> images_;
    // Widths of the runs already measured, per font: the measuring and the drawing pass, and
    // every relayout, meet the same words again.
    QHash<QString, QHash<QString, int>> runWidths_;
    std::map<QString, std::unique_ptr<QWidget>> inputs_;
    QVector<TLinkArea> links_;
    QVector<TPlaced> placed_;
};

// The value of attribute `name` ("SIZE=") in an upper-cased tag; empty when absent.
QString MarkupAttribute(const QString& tag, const QString& name);
// True when the tag text (from "<" to ">") is one of the recognised tags.
bool IsMarkupTag(const QString& tag);

}  // namespace orb
