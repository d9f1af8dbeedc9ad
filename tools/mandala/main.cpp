// orbelle-mandala: makes the mandala drawings of the catalogue and the pictures of the
// history pages, and contact sheets to look at them.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <string>

#include "Catalogue.h"
#include "Designs.h"
#include "HistoryPictures.h"
#include "LineArt.h"

using namespace mandala;

namespace {

int Usage() {
    std::fputs(
        "usage:\n"
        "  orbelle-mandala drawings CATALOGUE OUTDIR     make every drawing as "
        "OUTDIR/M/<folder>/<file>\n"
        "  orbelle-mandala dbsource CATALOGUE FILE       the catalogue's text database records\n"
        "  orbelle-mandala history OUTDIR                make the history pictures as "
        "OUTDIR/H/<name>\n"
        "  orbelle-mandala sheet CATALOGUE OUTDIR PNG    contact sheet of the made drawings\n"
        "  orbelle-mandala historysheet OUTDIR PNG       contact sheet of the history pictures\n"
        "  orbelle-mandala preview STYLE SEED COUNT SIZE PNG   try seeds of one style\n"
        "  orbelle-mandala check FILE...                 check drawings for leaks and specks\n",
        stderr);
    return 2;
}

QImage Sheet(const std::vector<QImage>& pictures, const std::vector<QString>& labels, int cell,
             int columns) {
    const int rows = (int(pictures.size()) + columns - 1) / columns;
    QImage sheet(columns * (cell + 10) + 10, rows * (cell + 30) + 10, QImage::Format_RGB32);
    sheet.fill(QColor(60, 60, 90));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const int x = 10 + int(i % columns) * (cell + 10), y = 10 + int(i / columns) * (cell + 30);
        const QImage scaled =
            pictures[i].scaled(cell, cell, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage(x + (cell - scaled.width()) / 2, y + (cell - scaled.height()) / 2, scaled);
        p.setPen(Qt::white);
        p.drawText(QRect(x, y + cell + 2, cell, 24), Qt::AlignHCenter | Qt::AlignTop, labels[i]);
    }
    return sheet;
}

bool LoadCatalogue(const char* path, Catalogue& cat) {
    std::string error;
    if (!ReadCatalogue(path, cat, error)) {
        std::fprintf(stderr, "orbelle-mandala: %s\n", error.c_str());
        return false;
    }
    return true;
}

QString MemberPath(const QString& dir, const std::string& member) {
    return dir + "/" + QString::fromStdString(member).replace('\\', '/');
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    // Text in contact sheets needs fonts; no display is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (cmd == "drawings" && argc == 4) {
        Catalogue cat;
        if (!LoadCatalogue(argv[2], cat)) return 1;
        int failures = 0;
        for (const Drawing& d : cat.drawings) {
            const LineArt art = MakeDrawing(d.style, d.seed, d.size);
            const Problems pr = Check(art);
            if (!pr.ok()) {
                std::fprintf(stderr, "orbelle-mandala: %s: %s\n", d.member().c_str(),
                             pr.describe().c_str());
                ++failures;
            }
            const QString path = MemberPath(argv[3], d.member());
            QDir().mkpath(QFileInfo(path).path());
            if (!WriteFile(path.toStdString(), EncodeBmp1(art))) {
                std::fprintf(stderr, "orbelle-mandala: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
        return failures ? 1 : 0;
    }
    if (cmd == "dbsource" && argc == 4) {
        Catalogue cat;
        if (!LoadCatalogue(argv[2], cat)) return 1;
        std::string out = "# Made by orbelle-mandala from the catalogue source.\n";
        for (int lng : {31, 44}) {
            out += "@@ Mandala_Subjects_" + std::to_string(lng) + "|||\n";
            for (const Subject& s : cat.subjects)
                out += (lng == 31 ? s.dutch : s.english) + "=" + s.folder + "\n";
            out += "\n@@ Mandala_Files_" + std::to_string(lng) + "|||\n";
            for (const Drawing& d : cat.drawings)
                out += (lng == 31 ? d.dutch : d.english) + "=" + d.member() + "\n";
            out += "\n";
        }
        return WriteFile(argv[3], std::vector<uint8_t>(out.begin(), out.end())) ? 0 : 1;
    }
    if (cmd == "history" && argc == 3) {
        return WriteHistoryPictures(argv[2]) ? 0 : 1;
    }
    if (cmd == "sheet" && argc == 5) {
        Catalogue cat;
        if (!LoadCatalogue(argv[2], cat)) return 1;
        std::vector<QImage> pics;
        std::vector<QString> labels;
        for (const Drawing& d : cat.drawings) {
            pics.emplace_back(MemberPath(argv[3], d.member()));
            labels.push_back(QString::fromStdString(d.folder + "/" + d.file + "  " + d.english));
        }
        return Sheet(pics, labels, 260, 8).save(argv[4]) ? 0 : 1;
    }
    if (cmd == "historysheet" && argc == 4) {
        std::vector<QImage> pics;
        std::vector<QString> labels;
        for (const auto& name : HistoryPictureNames()) {
            pics.emplace_back(QString(argv[2]) + "/H/" + QString::fromStdString(name));
            labels.push_back(QString::fromStdString(name));
        }
        return Sheet(pics, labels, 300, 5).save(argv[3]) ? 0 : 1;
    }
    if (cmd == "preview" && argc == 7) {
        const std::string style = argv[2];
        const uint64_t seed = std::stoull(argv[3]);
        const int count = std::atoi(argv[4]), size = std::atoi(argv[5]);
        std::vector<QImage> pics;
        std::vector<QString> labels;
        for (int i = 0; i < count; ++i) {
            const LineArt art = MakeDrawing(style, seed + i, size);
            const Problems pr = Check(art);
            pics.push_back(ToImage(art));
            labels.push_back(QString("%1 %2 %3")
                                 .arg(QString::fromStdString(style))
                                 .arg(seed + i)
                                 .arg(pr.ok() ? "" : QString::fromStdString(pr.describe())));
        }
        return Sheet(pics, labels, 430, 4).save(argv[6]) ? 0 : 1;
    }
    if (cmd == "check" && argc >= 3) {
        int bad = 0;
        for (int i = 2; i < argc; ++i) {
            const Problems pr = CheckImage(QImage(argv[i]));
            if (!pr.ok()) ++bad;
            std::printf("%s: %s\n", argv[i], pr.ok() ? "clean" : pr.describe().c_str());
        }
        return bad ? 1 : 0;
    }
    return Usage();
}
