#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

#include "library/PrsCtrl.h"
#include "platform/Outward.h"
#include "platform/Paths.h"

using orb::TMarkupControl;

namespace {

// A control inside a parent of a fixed size, as on the history page.
struct Page {
    QWidget parent;
    TMarkupControl* ctrl;
    explicit Page(int w = 300, int h = 100) {
        parent.resize(w, h);
        QFont f("DejaVu Sans");
        f.setPixelSize(12);
        parent.setFont(f);
        ctrl = new TMarkupControl(&parent);
    }
    QVector<TMarkupControl::TPlaced> Runs() const {
        QVector<TMarkupControl::TPlaced> r;
        for (const auto& p : ctrl->Placed())
            if (p.What == TMarkupControl::TPlaced::Run) r.append(p);
        return r;
    }
    const TMarkupControl::TPlaced* Run(const QString& text) const {
        for (const auto& p : ctrl->Placed())
            if (p.What == TMarkupControl::TPlaced::Run && p.Text.trimmed() == text) return &p;
        return nullptr;
    }
    int Hm() const { return QFontMetrics(ctrl->font()).height(); }
};

// A picture file of the given size in a fresh folder, found through the program folder.
struct PictureFolder {
    QTemporaryDir dir;
    QString old = orb::ProgramFolder();
    PictureFolder() { orb::SetProgramFolder(dir.path() + "/"); }
    ~PictureFolder() { orb::SetProgramFolder(old); }
    void Add(const QString& name, int w, int h, QColor c = Qt::red) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(c);
        ASSERT_TRUE(img.save(dir.path() + "/" + name, "BMP"));
    }
};

}  // namespace

TEST(MarkupAttributes, QuotesSpacesAndAbsence) {
    EXPECT_EQ(orb::MarkupAttribute("<IMG NAME=\"A B.BMP\" WIDTH=3>", "NAME="), "A B.BMP");
    EXPECT_EQ(orb::MarkupAttribute("<IMG NAME='X.BMP' WIDTH=3>", "NAME="), "X.BMP");
    EXPECT_EQ(orb::MarkupAttribute("<IMG NAME=X.BMP WIDTH=3>", "NAME="), "X.BMP");
    EXPECT_EQ(orb::MarkupAttribute("<IMG NAME=X.BMP>", "NAME="), "X.BMP");
    EXPECT_EQ(orb::MarkupAttribute("<FONT SIZE=  +2>", "SIZE="), "+2");
    EXPECT_EQ(orb::MarkupAttribute("<IMG NAME=X.BMP>", "WIDTH="), "");
    EXPECT_TRUE(orb::IsMarkupTag("<b>"));
    EXPECT_TRUE(orb::IsMarkupTag("<font size=+1>"));
    EXPECT_FALSE(orb::IsMarkupTag("<P>"));
    EXPECT_FALSE(orb::IsMarkupTag("<BR>"));
}

TEST(MarkupStyles, CaseBlindAndNestedBold) {
    Page pg;
    pg.ctrl->SetMarkupText("<b>one</B> two <B><B>three</B> four</B> five");
    ASSERT_TRUE(pg.Run("one") && pg.Run("two") && pg.Run("four") && pg.Run("five"));
    EXPECT_TRUE(pg.Run("one")->Font.bold());
    EXPECT_FALSE(pg.Run("two")->Font.bold());
    EXPECT_TRUE(pg.Run("three")->Font.bold());
    EXPECT_TRUE(pg.Run("four")->Font.bold());  // one </B> left the counter at 1
    EXPECT_FALSE(pg.Run("five")->Font.bold());
}

TEST(MarkupStyles, ItalicUnderlineStrikeAndFontSizeSteps) {
    Page pg;
    pg.ctrl->SetMarkupText(
        "<I>a</I> <U>b</U> <S>c</S> <FONT SIZE=+2>big</FONT SIZE=-2> back "
        "<FONT SIZE=+3>up</FONT> stays <FONT SIZE=x>same");
    EXPECT_TRUE(pg.Run("a")->Font.italic());
    EXPECT_TRUE(pg.Run("b")->Font.underline());
    EXPECT_TRUE(pg.Run("c")->Font.strikeOut());
    EXPECT_EQ(pg.Run("big")->Font.pixelSize(), 14);
    EXPECT_EQ(pg.Run("back")->Font.pixelSize(), 12);
    // A closing tag without SIZE leaves the larger size; a non-number changes nothing.
    EXPECT_EQ(pg.Run("stays")->Font.pixelSize(), 15);
    EXPECT_EQ(pg.Run("same")->Font.pixelSize(), 15);
}

TEST(MarkupText, UnknownTagsShownAsWritten) {
    Page pg;
    pg.ctrl->SetMarkupText("<P>para</P> x<y and <open");
    QStringList texts;
    for (const auto& r : pg.Runs()) texts << r.Text;
    const QString all = texts.join("");
    EXPECT_EQ(all, "<P>para</P> x<y and <open");
}

TEST(MarkupText, CrLfBreaksButBareLfDoesNot) {
    Page pg;
    pg.ctrl->SetMarkupText("one\ntwo\r\nthree\rfour");
    const int hm = pg.Hm();
    ASSERT_TRUE(pg.Run("onetwo"));
    EXPECT_EQ(pg.Run("onetwo")->Rect.top(), 0);
    ASSERT_TRUE(pg.Run("threefour"));
    EXPECT_EQ(pg.Run("threefour")->Rect.top(), hm);
    EXPECT_EQ(pg.Run("threefour")->Rect.left(), 2);
    // Height: last line + two base lines, at least the parent's.
    EXPECT_EQ(pg.ctrl->YMax(), std::max(hm + 2 * hm, 100));
}

TEST(MarkupText, WholeWordWrapAt95Percent) {
    Page pg(200);
    // The control ends as wide as its parent and is measured at that width.
    pg.ctrl->SetMarkupText("aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk");
    ASSERT_EQ(pg.ctrl->width(), 200);
    const double limit = 0.95 * 200;
    int lines = 0, lastTop = -1;
    for (const auto& r : pg.Runs()) {
        if (r.Rect.top() != lastTop) {
            ++lines;
            lastTop = r.Rect.top();
            EXPECT_EQ(r.Rect.left(), 2);
        }
        EXPECT_LE(r.Rect.left() + r.Rect.width(), limit + 0.5) << r.Text.toStdString();
    }
    EXPECT_GE(lines, 2);
    // Each wrapped line is full: the next word would not have fitted.
    const auto runs = pg.Runs();
    for (int i = 1; i < runs.size(); ++i) {
        if (runs[i].Rect.top() != runs[i - 1].Rect.top()) {
            EXPECT_GT(runs[i - 1].Rect.right() + 1 + runs[i].Rect.width(), limit);
        }
    }
}

TEST(MarkupText, OverlongWordPlacedOnItsOwnLine) {
    Page pg(100);
    pg.ctrl->SetMarkupText("a " + QString(60, 'w') + " b");
    const auto runs = pg.Runs();
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[1].Rect.left(), 2);
    EXPECT_GT(runs[1].Rect.top(), runs[0].Rect.top());
    EXPECT_GT(runs[2].Rect.top(), runs[1].Rect.top());
}

TEST(MarkupText, HiddenTextTakesNoSpaceButPicturesCount) {
    PictureFolder pf;
    pf.Add("p.bmp", 20, 30);
    Page pg;
    pg.ctrl->SetMarkupText("a <HIDE>lots of hidden words\r\n\r\n<IMG NAME=p.bmp><SHOW>b");
    const auto runs = pg.Runs();
    ASSERT_EQ(runs.size(), 2);
    const auto* b = pg.Run("b");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Rect.top(), 0);  // no line ended while hidden
    ASSERT_EQ(pg.ctrl->Placed().size(), 3);
    const auto& pic = pg.ctrl->Placed()[1];
    EXPECT_EQ(pic.What, TMarkupControl::TPlaced::Picture);
    EXPECT_EQ(pic.Rect.left(), runs[0].Rect.right() + 1);
    EXPECT_EQ(b->Rect.left(), pic.Rect.right() + 1);
}

TEST(MarkupImages, AspectSizesAlignAndMissingFrames) {
    PictureFolder pf;
    pf.Add("w.bmp", 40, 20);
    Page pg(300);
    pg.ctrl->SetMarkupText(
        "<IMG NAME=W.BMP WIDTH=100>\r\n<IMG NAME=w.bmp HEIGHT=10>\r\n<IMG NAME=w.bmp>\r\n"
        "<IMG NAME=w.bmp ALIGN=RIGHT>\r\n<IMG NAME=w.bmp ALIGN=CENTER>\r\n"
        "<IMG NAME=w.bmp ALIGN=MIDDLE>\r\n<IMG NAME=none.bmp WIDTH=15>\r\n"
        "<IMG NAME=none.bmp>\r\n<IMG NAME=>x");
    const auto& pl = pg.ctrl->Placed();
    ASSERT_GE(pl.size(), 6);
    EXPECT_EQ(pl[0].Rect.size(), QSize(100, 50));  // aspect from WIDTH only
    EXPECT_EQ(pl[1].Rect.size(), QSize(20, 10));
    EXPECT_EQ(pl[2].Rect.size(), QSize(40, 20));  // its own size
    const int w = 300;  // the control's final width
    EXPECT_EQ(pl[3].Rect.left(), w - 40);
    EXPECT_EQ(pl[4].Rect.left(), qRound((w - 40) / 2.0));
    // ALIGN=MIDDLE draws nothing, but the line still takes the height.
    EXPECT_EQ(pl[5].What, TMarkupControl::TPlaced::Frame);
    EXPECT_EQ(pl[5].Rect.size(), QSize(15, 15));
    EXPECT_EQ(pl[5].Rect.top(), 50 + 10 + 20 + 20 + 20 + 20);
    ASSERT_EQ(pl.size(), 7);  // a missing picture without size, an empty name: nothing
    EXPECT_EQ(pl[6].Text, "x");
}

TEST(MarkupImages, ArchivelessCacheSurvivesFileRemovalUntilNewText) {
    PictureFolder pf;
    pf.Add("c.bmp", 8, 8);
    Page pg;
    pg.ctrl->SetMarkupText("<IMG NAME=c.bmp>");
    ASSERT_FALSE(pg.ctrl->FindImage("c.bmp").isNull());
    QFile::remove(pf.dir.path() + "/c.bmp");
    EXPECT_FALSE(pg.ctrl->FindImage("c.bmp").isNull());
    pg.ctrl->SetMarkupText("<IMG NAME=c.bmp WIDTH=5>");
    EXPECT_TRUE(pg.ctrl->FindImage("c.bmp").isNull());
    EXPECT_EQ(pg.ctrl->Placed()[0].What, TMarkupControl::TPlaced::Frame);
}

TEST(MarkupImages, AnUndecodablePictureIsHandedToTheOwnerOnceAndShowsNothingItself) {
    PictureFolder pf;
    pf.Add("good.bmp", 8, 8);
    QFile bad(pf.dir.path() + "/bad.bmp");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("BM\x10\x00\x00\x00garbage-not-a-bitmap", 26));
    bad.close();
    struct NoBoxes : orb::Outward {
        int shown = 0;
        void Message(const QString&, const QString&, orb::MessageKind) override { ++shown; }
    } out;
    orb::SetOutward(&out);
    Page pg;
    QList<orb::TFailure> told;
    pg.ctrl->OnFailure = [&](const orb::TFailure& f) { told.append(f); };
    pg.ctrl->SetMarkupText("<IMG NAME=good.bmp><IMG NAME=bad.bmp WIDTH=5>");
    pg.ctrl->FindImage("bad.bmp");  // cached: not told again
    orb::SetOutward(nullptr);
    ASSERT_EQ(told.size(), 1);
    ASSERT_FALSE(told[0].Notes().isEmpty());
    EXPECT_EQ(told[0].Notes().last(),
              (orb::TFailureNote{"Reading bmp file failed", "Information", orb::MessageKind::Info,
                                 5031}));
    EXPECT_EQ(out.shown, 0);
}

TEST(MarkupLinks, AreasFollowTheLinkAcrossAWrap) {
    Page pg(150);
    pg.ctrl->SetMarkupText("x <A HREF=\"go.htm\">alpha beta gamma delta epsilon</A> after");
    const auto& links = pg.ctrl->LinkAreas();
    ASSERT_GE(links.size(), 2);
    const int hm = pg.Hm();
    for (const auto& a : links) EXPECT_EQ(a.HRef, "GO.HTM");
    // The first area starts where the link text starts and ends on its line.
    EXPECT_EQ(links[0].Rect.left(), pg.Run("alpha")->Rect.left());
    EXPECT_EQ(links[0].Rect.top(), 0);
    EXPECT_EQ(links[0].Rect.height(), hm);
    EXPECT_EQ(links[1].Rect.left(), 2);
    EXPECT_EQ(links[1].Rect.top(), hm);
    // The last area ends with the link text, and "after" is outside every area.
    const auto* after = pg.Run("after");
    EXPECT_EQ(links.back().Rect.right(), pg.Run("epsilon")->Rect.right());
    for (const auto& a : links) EXPECT_FALSE(a.Rect.contains(after->Rect.center()));

    QString got;
    pg.ctrl->OnHyperLinkClick = [&](QObject*, const QString& h) { got = h; };
    const QPoint in = links[1].Rect.center();
    QMouseEvent up(QEvent::MouseButtonRelease, in, pg.ctrl->mapToGlobal(in), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pg.ctrl, &up);
    EXPECT_EQ(got, "GO.HTM");
    got.clear();
    pg.ctrl->SetInputEnabled(false);
    QCoreApplication::sendEvent(pg.ctrl, &up);
    EXPECT_TRUE(got.isEmpty());
}

TEST(MarkupInputs, CreatedOncePerNameAndFreedWithNewText) {
    Page pg;
    pg.ctrl->SetMarkupText("<INPUT TYPE=RADIO NAME=r VALUE=Yes> <INPUT TYPE=TEXT NAME=t SIZE=4 "
                           "VALUE=Hello> <INPUT TYPE=RADIO NAME=>");
    QWidget* r = pg.ctrl->InputField("R");
    QWidget* t = pg.ctrl->InputField("T");
    ASSERT_TRUE(r && t);
    const int hm = pg.Hm();
    EXPECT_EQ(r->size(), QSize(hm, hm));
    EXPECT_EQ(t->size(), QSize(4 * hm, hm));
    EXPECT_EQ(t->x(), r->x() + hm + QFontMetrics(pg.ctrl->font()).horizontalAdvance(" "));
    QString got;
    pg.ctrl->OnHyperLinkClick = [&](QObject*, const QString& h) { got = h; };
    static_cast<QRadioButton*>(r)->click();
    EXPECT_EQ(got, "YES");
    pg.ctrl->Relayout();
    EXPECT_EQ(pg.ctrl->InputField("R"), r);  // moved, not made again
    pg.ctrl->SetMarkupText("plain");
    EXPECT_EQ(pg.ctrl->InputField("R"), nullptr);
    EXPECT_EQ(pg.ctrl->findChildren<QRadioButton*>().size(), 0);
}

// The drawing pass paints where the measuring pass placed things.
TEST(MarkupRender, PixelsMatchTheLayout) {
    PictureFolder pf;
    pf.Add("blue.bmp", 30, 12, QColor(0, 0, 255));
    Page pg(240, 80);
    QPalette pal = pg.ctrl->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    pg.ctrl->setPalette(pal);
    pg.ctrl->SetDrawFocused(false);
    pg.ctrl->SetMarkupText("<B>Title</B>\r\nword <IMG NAME=blue.bmp> <IMG NAME=gone.bmp WIDTH=9>");
    QImage img(pg.ctrl->size(), QImage::Format_RGB32);
    pg.ctrl->render(&img);
    const auto& pl = pg.ctrl->Placed();
    ASSERT_EQ(pl.size(), 5);
    auto dark = [&](const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += qGray(img.pixel(x, y)) < 128;
        return n;
    };
    // Text ink lies inside each run's box, and nowhere right of the last run of a line.
    EXPECT_GT(dark(pl[0].Rect), 0);
    EXPECT_EQ(dark(QRect(pl[0].Rect.right() + 3, 0, 40, pl[0].Rect.height())), 0);
    EXPECT_GT(dark(pl[1].Rect), 0);
    // The picture fills exactly its rectangle.
    const QRect pic = pl[2].Rect;
    EXPECT_EQ(pl[2].What, TMarkupControl::TPlaced::Picture);
    EXPECT_EQ(img.pixel(pic.topLeft()), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(pic.bottomRight()), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(pic.right() + 1, pic.center().y()), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(pic.left(), pic.bottom() + 1), qRgb(0, 0, 255));
    // The missing picture is a black frame of 9 by 9 with a white inside.
    const QRect fr = pl[4].Rect;
    EXPECT_EQ(pl[4].What, TMarkupControl::TPlaced::Frame);
    EXPECT_EQ(fr.size(), QSize(9, 9));
    EXPECT_EQ(img.pixel(fr.topLeft()), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(fr.bottomRight()), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(fr.center()), qRgb(255, 255, 255));
}

// What SetMarkupText measures is what a paint draws: same lines, same height, at every
// parent width (a narrower measuring width would wrap words the drawing keeps).
TEST(MarkupRender, MeasuredLinesAreTheDrawnLines) {
    const QString text =
        "Circles within circles: <B>the mandala</B> draws the eye to its centre, and each "
        "ring repeats the one inside it. <I>Eight</I> petals, sixteen, thirty-two.";
    for (int w = 120; w <= 320; w += 7) {
        Page pg(w, 20);
        pg.ctrl->SetMarkupText(text);
        const auto measured = pg.ctrl->Placed();
        const int height = pg.ctrl->height();
        QImage img(pg.ctrl->size(), QImage::Format_RGB32);
        pg.ctrl->render(&img);
        const auto& drawn = pg.ctrl->Placed();
        ASSERT_EQ(measured.size(), drawn.size()) << w;
        for (int i = 0; i < drawn.size(); ++i)
            ASSERT_EQ(measured[i].Rect, drawn[i].Rect) << "width " << w << " item " << i;
        EXPECT_EQ(height, pg.ctrl->YMax()) << w;
    }
}
