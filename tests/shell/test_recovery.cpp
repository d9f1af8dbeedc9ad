// The recovery copy of the drawing being coloured: written after a change, gone once the
// drawing is saved, and only what reads back whole is offered.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <cstring>

#include "shell/Recovery.h"
#include "tests/shell/Painting.h"

TEST(Recovery, KeepsTheChangedDrawingAndItsPlaceAndDropsItOnceSaved) {
    Painting p;
    QFile::remove(TRecovery::PictureFile());
    TRecovery keep(p.w->Session(), [] {
        return TRecovery::TPlace{"Roos", 0, 0, "roos.bmp", UserFolder()};
    });
    keep.Keep();
    EXPECT_FALSE(QFile::exists(TRecovery::PictureFile()));  // nothing changed yet

    // A fill through the real tool button and a click on the drawing.
    Painting::ClickButton(p.f->Paint->PaintSBtn);
    p.Colour(0, 100, 100);
    p.RealClick(p.At(10, 10));
    keep.Keep();
    std::optional<TRecovery::TFound> found = TRecovery::Find();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Picture, p.w->Session().Picture());
    EXPECT_EQ(found->Place, (TRecovery::TPlace{"Roos", 0, 0, "roos.bmp", UserFolder()}));

    // Restored: on show as a changed drawing under its name.
    p.w->Session().MarkSaved();
    p.f->Paint->Restore(*found);
    EXPECT_TRUE(p.w->Session().Changed());
    EXPECT_EQ(p.w->Session().Picture(), found->Picture);
    EXPECT_EQ(p.f->Paint->Files->SaveFileName, "roos.bmp");
    EXPECT_TRUE(p.f->Paint->SaveSBtn->isEnabled());

    // Saved (or declined): the copy goes.
    p.w->Session().MarkSaved();
    keep.Keep();
    EXPECT_FALSE(QFile::exists(TRecovery::PictureFile()));
    EXPECT_FALSE(QFile::exists(TRecovery::PlaceFile()));
}

TEST(Recovery, ACopyThatDoesNotReadBackWholeIsNotOffered) {
    Painting p;
    QDir().mkpath(TempFolder());
    const auto write = [](const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    // Cut short, and a header that claims a picture of 100000 x 100000 pixels.
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray bmp;
    {
        QBuffer b(&bmp);
        b.open(QIODevice::WriteOnly);
        img.save(&b, "BMP");
    }
    write(TRecovery::PictureFile(), bmp.left(40));
    EXPECT_FALSE(TRecovery::Find());
    QByteArray huge = bmp;
    const qint32 side = 100000;
    std::memcpy(huge.data() + 18, &side, 4);
    std::memcpy(huge.data() + 22, &side, 4);
    write(TRecovery::PictureFile(), huge);
    EXPECT_FALSE(TRecovery::Find());
    // A whole picture without its place file still comes back, nameless.
    write(TRecovery::PictureFile(), bmp);
    QFile::remove(TRecovery::PlaceFile());
    const auto found = TRecovery::Find();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Picture.size(), QSize(64, 48));
    EXPECT_TRUE(found->Place.Name.isEmpty());
    // Shown under a stand-in name when its place is unknown.
    p.f->Paint->Restore(*found);
    ASSERT_EQ(p.f->Paint->Catalogue->MandalaLst->count(), 1);
    EXPECT_EQ(p.f->Paint->Catalogue->MandalaLst->item(0)->text(), "..\\Mandala");
    TRecovery::Remove();
}
