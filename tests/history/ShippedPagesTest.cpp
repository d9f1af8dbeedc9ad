// Every page of the shipped history, in both languages and at the three window sizes:
// each contents entry has its page, and every picture a page names is found.
// With ORBELLE_HISTORY_SHOTS set to a folder, each page is also saved there to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QRegularExpression>
#include <QScrollBar>

#include "library/Cp1252.h"
#include "library/MarkupBox.h"
#include "library/PictureArchive.h"
#include "library/PrsCtrl.h"
#include "library/iDbRecs.h"
#include "platform/Paths.h"
#include "platform/Numbers.h"

using orb::TMarkupControl;

namespace {

struct Shipped {
    orb::TiDbRecFile db;
    std::unique_ptr<orb::TArchiveIndex> archive;
    Shipped() {
        QFontDatabase::addApplicationFont(orb::ProgramFile("palis.ttf"));
        db.LoadFromFile(orb::ProgramFile("Mandala.dat"));
        db.ActivateAll();
        archive = orb::LoadArchiveIndex(orb::ProgramFile("orbelle.dat"));
    }
    QString Value(const QString& key) {
        QByteArray v;
        return db.FindValue(orb::ToCp1252(key), v) ? orb::FromCp1252(v) : QString();
    }
};

}  // namespace

TEST(ShippedHistory, EveryPageOfBothLanguagesHasItsTextAndPictures) {
    Shipped s;
    ASSERT_TRUE(s.archive);
    const QString shots = qEnvironmentVariable("ORBELLE_HISTORY_SHOTS");
    const struct {
        const char* name;
        int m, d;
    } sizes[] = {{"small", 1, 1}, {"medium", 5, 4}, {"large", 8, 5}};
    for (int lng : {31, 44}) {
        const QStringList lines =
            s.Value(QString("Content_%1|||").arg(lng)).split(QRegularExpression("\r?\n"),
                                                             Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 2) << lng;
        for (const auto& sz : sizes) {
            QWidget page;
            auto* box = new orb::TMarkupScrollBox(&page);
            box->setGeometry(0, 0, orb::Round(300.0 * sz.m / sz.d), orb::Round(323.0 * sz.m / sz.d));
            QFont f("Palisade");
            f.setPixelSize(orb::Round(11.0 * sz.m / sz.d));
            box->setFont(f);
            TMarkupControl* ctrl = box->Markup();
            ctrl->setFont(f);
            ctrl->SetArchive(s.archive.get());
            page.show();
            for (const QString& line : lines) {
                const QString key = line.trimmed().section('|', 0, 0);
                const QString text = s.Value(QString("%1_%2|||").arg(key).arg(lng));
                ASSERT_FALSE(text.isEmpty()) << key.toStdString() << " " << lng;
                ctrl->SetMarkupText(text);
                QApplication::processEvents();
                QImage img(ctrl->size(), QImage::Format_RGB32);
                img.fill(Qt::white);
                ctrl->render(&img);
                int pictures = 0;
                for (const auto& p : ctrl->Placed()) {
                    EXPECT_NE(p.What, TMarkupControl::TPlaced::Frame)
                        << "missing picture " << p.Text.toStdString() << " on " << key.toStdString();
                    pictures += p.What == TMarkupControl::TPlaced::Picture;
                    // Nothing reaches past the visible width.
                    if (p.What == TMarkupControl::TPlaced::Run) {
                        EXPECT_LE(p.Rect.left() + p.Rect.width(), box->viewport()->width() + 1)
                            << key.toStdString() << ": " << p.Text.toStdString();
                    }
                }
                EXPECT_EQ(pictures, text.count("<IMG", Qt::CaseInsensitive)) << key.toStdString();
                if (!shots.isEmpty()) {
                    QDir().mkpath(shots);
                    img.save(QString("%1/%2-%3-%4.png").arg(shots).arg(lng).arg(sz.name).arg(key));
                }
            }
        }
    }
}
