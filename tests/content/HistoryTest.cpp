// The history page as the program reads it: a nested table of contents per language, a
// page for every entry, and pictures that exist in the archive.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <set>

#include "ContentCheck.h"

using namespace contenttest;

namespace {

struct Entry {
    QString key, title;
    int depth = 0;
};

std::vector<Entry> Contents(int lng) {
    bool found = false;
    const QStringList lines = Lines(QString("Content_%1|||").arg(lng), &found);
    EXPECT_TRUE(found) << lng;
    std::vector<Entry> entries;
    for (const QString& line : lines) {
        Entry e;
        while (e.depth < line.size() && (line[e.depth] == '\t' || line[e.depth] == ' ')) ++e.depth;
        const QString rest = line.mid(e.depth);
        e.key = rest.section('|', 0, 0);
        e.title = rest.section('|', 1);
        entries.push_back(e);
    }
    return entries;
}

QString Page(const QString& key, int lng, bool* found) {
    QByteArray value;
    *found = Data().db.FindValue(QString("%1_%2|||").arg(key).arg(lng).toLatin1(), value);
    return QString::fromLatin1(value);
}

int Count(const QString& text, const QString& what) {
    return text.count(what, Qt::CaseInsensitive);
}

}  // namespace

TEST(History, ContentsNestAndOpenOnAFirstChild) {
    for (int lng : {31, 44}) {
        const auto entries = Contents(lng);
        ASSERT_GE(entries.size(), 12u);
        // The history button expands entry 1 and selects entry 2: a chapter and its child.
        EXPECT_EQ(entries[0].depth, 0);
        EXPECT_EQ(entries[1].depth, 1);
        int deepest = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_FALSE(entries[i].key.isEmpty());
            EXPECT_FALSE(entries[i].title.isEmpty()) << entries[i].key.toStdString();
            deepest = std::max(deepest, entries[i].depth);
            if (i > 0) EXPECT_LE(entries[i].depth, entries[i - 1].depth + 1);
        }
        EXPECT_GE(deepest, 1);
    }
}

TEST(History, EveryEntryHasAPageInBothLanguages) {
    std::set<QString> keys[2];
    int index = 0;
    for (int lng : {31, 44}) {
        int pages = 0;
        for (const Entry& e : Contents(lng)) {
            bool found = false;
            const QString page = Page(e.key, lng, &found);
            EXPECT_TRUE(found) << e.key.toStdString() << " " << lng;
            EXPECT_GT(page.size(), 100) << e.key.toStdString();
            pages += found;
            keys[index].insert(e.key);
        }
        EXPECT_GE(pages, 10);
        ++index;
    }
    EXPECT_EQ(keys[0], keys[1]);
}

TEST(History, MarkupIsBalancedAndUsesEveryFeature) {
    const QRegularExpression sizeStep("<(/?)FONT\\s+SIZE=([+-]\\d+)>",
                                      QRegularExpression::CaseInsensitiveOption);
    for (int lng : {31, 44}) {
        std::set<QString> aligns;
        int hidden = 0, bold = 0, italic = 0, sizes = 0;
        for (const Entry& e : Contents(lng)) {
            bool found = false;
            const QString page = Page(e.key, lng, &found);
            SCOPED_TRACE(e.key.toStdString());
            // Unclosed styles would run on into the rest of the page.
            EXPECT_EQ(Count(page, "<B>"), Count(page, "</B>"));
            EXPECT_EQ(Count(page, "<I>"), Count(page, "</I>"));
            EXPECT_EQ(Count(page, "<HIDE>"), Count(page, "<SHOW>"));
            int net = 0;
            for (auto it = sizeStep.globalMatch(page); it.hasNext();) {
                const auto m = it.next();
                net += m.captured(2).toInt();
                ++sizes;
            }
            EXPECT_EQ(net, 0) << "font size steps do not return";
            hidden += Count(page, "<HIDE>");
            bold += Count(page, "<B>");
            italic += Count(page, "<I>");
            for (auto it = QRegularExpression("ALIGN=(\\w+)").globalMatch(page); it.hasNext();)
                aligns.insert(it.next().captured(1).toUpper());
            // A bare LF would not break the line; lines are joined by CR LF.
            EXPECT_FALSE(page.contains(QRegularExpression("[^\r]\n")));
        }
        EXPECT_GT(hidden, 0);
        EXPECT_GT(bold, 10);
        EXPECT_GT(italic, 10);
        EXPECT_GT(sizes, 10);
        EXPECT_EQ(aligns, (std::set<QString>{"LEFT", "CENTER", "RIGHT"}));
    }
}

TEST(History, EveryPictureIsInTheArchiveAndDecodes) {
    const QRegularExpression img("<IMG[^>]*NAME=\"?([^\" >]+)",
                                 QRegularExpression::CaseInsensitiveOption);
    int pictures = 0;
    for (int lng : {31, 44}) {
        for (const Entry& e : Contents(lng)) {
            bool found = false;
            const QString page = Page(e.key, lng, &found);
            for (auto it = img.globalMatch(page); it.hasNext();) {
                // The control upper-cases the tag and looks the name up in lower case.
                const QString name = it.next().captured(1).toLower();
                SCOPED_TRACE(name.toStdString());
                const QImage picture = Member(name);
                ASSERT_FALSE(picture.isNull());
                // Wider pictures would be cut off in the text column.
                EXPECT_LE(picture.width(), 280);
                ++pictures;
            }
        }
    }
    EXPECT_GE(pictures, 20);
}
