// The history text control against the plainest way to show the same words: the text with
// its tags taken out, wrapped and drawn by QPainter (drawText with word wrap, after the
// same measuring step). Each side lays out the whole page and draws it into the visible
// box (300 x 323), as a page change does. Inputs: the longest shipped history page and a
// synthetic 200 KB page. Alternating rounds, medians, ratio = ours / reference.
// A page change also decodes the page's pictures, which the plain text has none of. So the
// shipped page is measured once more with the pictures decoded beforehand, both sides
// drawing them where the page places them, and their decoding is reported on its own.
#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <random>
#include <vector>

#include "library/Cp1252.h"
#include "library/PictureArchive.h"
#include "library/PrsCtrl.h"
#include "library/iDbRecs.h"
#include "platform/Paths.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString LongestShippedPage(QString* key) {
    orb::TiDbRecFile db;
    if (!db.LoadFromFile(orb::ProgramFile("Mandala.dat"))) return {};
    db.ActivateAll();
    QString best;
    for (const char* lng : {"31", "44"}) {
        QByteArray contents, v;
        if (!db.FindValue(QByteArray("Content_") + lng + "|||", contents)) continue;
        // The pages are the ones the contents list: "key|title" per line.
        for (QByteArray line : contents.split('\n')) {
            const QByteArray k = line.trimmed().split('|').value(0) + "_" + lng + "|||";
            if (db.FindValue(k, v) && v.size() > best.size()) {
                best = orb::FromCp1252(v);
                *key = QString::fromLatin1(k);
            }
        }
    }
    return best;
}

// Words, styles, font steps, links and line breaks; pictures only by missing names, so the
// run measures layout, not picture decoding.
QString Synthetic(int size) {
    static const char* words[] = {"mandala", "<B>circle</B>", "colour", "Tibet", "the", "of",
                                  "<I>ornament</I>", "<FONT SIZE=+2>centuries</FONT SIZE=-2>",
                                  "<A HREF=x>link text</A>", "rosette", "<U>sand</U>", "wheel"};
    std::mt19937 rng(11);
    QString out;
    out.reserve(size + 64);
    while (out.size() < size) {
        out += words[rng() % 12];
        out += (rng() % 14 == 0) ? "\r\n" : " ";
    }
    out.truncate(size);
    return out;
}

QString Plain(const QString& markup) {
    QString t = markup;
    static const QRegularExpression tags("<[^>]*>");
    t.remove(tags);
    t.replace("\r\n", "\n");
    return t;
}

struct Timing {
    double ours, reference;
};

// Ours: one drawing pass of the laid-out page into the box.
void DrawOurs(orb::TMarkupControl& ctrl, QImage& box) {
    box.fill(Qt::white);
    QPainter p(&box);
    ctrl.LayoutPass(&p);
}

// The reference: the plain words measured for their wrapped height, then drawn, and then
// whatever `more` draws with the same painter.
void DrawPlain(QImage& box, const QFont& f, const QString& plain,
               const std::function<void(QPainter&)>& more = {}) {
    box.fill(Qt::white);
    QPainter p(&box);
    p.setFont(f);
    const QRect bound =
        p.fontMetrics().boundingRect(QRect(2, 0, 285, 1 << 24), Qt::TextWordWrap, plain);
    p.drawText(QRect(2, 0, 285, bound.height()), Qt::TextWordWrap, plain);
    if (more) more(p);
}

// The history page's text box: its size and font, and a markup control in it.
struct TTextBox {
    QWidget parent;
    QFont f{"Palisade"};
    orb::TMarkupControl ctrl{&parent};
    explicit TTextBox(const orb::TArchiveIndex* archive) {
        parent.resize(300, 323);
        f.setPixelSize(11);
        parent.setFont(f);
        ctrl.SetArchive(archive);
    }
};

Timing Measure(const QString& markup, const orb::TArchiveIndex* archive, int rounds) {
    TTextBox tb(archive);
    const QFont& f = tb.f;
    orb::TMarkupControl& ctrl = tb.ctrl;
    const QString plain = Plain(markup);
    QImage box(300, 323, QImage::Format_RGB32);
    std::vector<double> ours, ref;
    for (int r = 0; r < rounds; ++r) {
        // Ours: measure (SetMarkupText) and one drawing pass.
        auto t0 = Clock::now();
        ctrl.SetMarkupText(markup);
        DrawOurs(ctrl, box);
        auto t1 = Clock::now();
        // Reference: measure the wrapped height, then draw.
        DrawPlain(box, f, plain);
        auto t2 = Clock::now();
        ours.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        ref.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    return {Median(ours), Median(ref)};
}

// The shipped page with its pictures already decoded (kept by the control from a first
// layout): ours lays the page out again and draws it, pictures included; the reference
// draws the plain text and the same pictures at the same places. Also times decoding the
// page's pictures afresh, as a page change does.
Timing MeasureDecoded(const QString& markup, const orb::TArchiveIndex* archive, int rounds,
                      double* decodeMs, int* pictures) {
    TTextBox tb(archive);
    const QFont& f = tb.f;
    orb::TMarkupControl& ctrl = tb.ctrl;
    ctrl.SetMarkupText(markup);
    QImage box(300, 323, QImage::Format_RGB32);
    {
        QPainter p(&box);
        ctrl.LayoutPass(&p);
    }
    struct TPic {
        QRect Rect;
        QString Name;
        QImage Image;
    };
    std::vector<TPic> pics;
    QStringList names;
    for (const auto& placed : ctrl.Placed()) {
        if (placed.What != orb::TMarkupControl::TPlaced::Picture) continue;
        pics.push_back({placed.Rect, placed.Text, ctrl.FindImage(placed.Text)});
        if (!names.contains(placed.Text)) names << placed.Text;
    }
    *pictures = int(names.size());
    const QString plain = Plain(markup);
    std::vector<double> ours, ref, decode;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Clock::now();
        ctrl.Relayout();
        DrawOurs(ctrl, box);
        auto t1 = Clock::now();
        DrawPlain(box, f, plain, [&](QPainter& p) {
            for (const TPic& pic : pics) p.drawImage(pic.Rect, pic.Image);
        });
        auto t2 = Clock::now();
        // A control of its own, so nothing is cached yet.
        orb::TMarkupControl fresh(&tb.parent);
        fresh.SetArchive(archive);
        auto t3 = Clock::now();
        for (const QString& name : names) (void)fresh.FindImage(name);
        auto t4 = Clock::now();
        ours.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        ref.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        decode.push_back(std::chrono::duration<double, std::milli>(t4 - t3).count());
    }
    *decodeMs = Median(decode);
    return {Median(ours), Median(ref)};
}

void Report(const char* name, int chars, const Timing& t) {
    std::printf("%-28s %8d chars  markup %9.3f ms  plain %9.3f ms  ratio %.2f\n", name, chars,
                t.ours, t.reference, t.ours / t.reference);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    QApplication app(argc, argv);
    orb::SetProgramFolder(ORBELLE_PROGRAM_DIR "/");
    QFontDatabase::addApplicationFont(orb::ProgramFile("palis.ttf"));
    auto archive = orb::LoadArchiveIndex(orb::ProgramFile("orbelle.dat"));

    QString key;
    const QString page = LongestShippedPage(&key);
    if (page.isEmpty()) {
        std::fprintf(stderr, "no history pages in %s\n", qPrintable(orb::ProgramFile("Mandala.dat")));
        return 1;
    }
    Report(qPrintable("shipped " + key.section('|', 0, 0)), int(page.size()),
           Measure(page, archive.get(), rounds));
    Report("shipped, pictures missing", int(page.size()), Measure(page, nullptr, rounds));
    double decodeMs = 0;
    int pictures = 0;
    const Timing decoded = MeasureDecoded(page, archive.get(), rounds, &decodeMs, &pictures);
    Report("shipped, pictures decoded", int(page.size()), decoded);
    std::printf(
        "  (both sides draw the page's %d picture(s) where it places them; decoding them "
        "is left out of both)\n",
        pictures);
    std::printf("%-28s %8d pics   decoding %9.3f ms\n", "shipped, picture decoding", pictures,
                decodeMs);
    const QString big = Synthetic(200 * 1024);
    Report("synthetic 200 KB", int(big.size()), Measure(big, nullptr, std::max(3, rounds / 3)));
    return 0;
}
