#include "ContentCheck.h"

#include <QDir>
#include <algorithm>
#include <climits>
#include <map>
#include <queue>
#include <set>
#include <vector>

namespace contenttest {

QString ProgramFile(const QString& name) { return QString(ORBELLE_PROGRAM_DIR) + "/" + name; }

Shipped& Data() {
    static Shipped data;
    if (!data.loaded) {
        data.loaded = true;
        data.db.LoadFromFile(ProgramFile("Mandala.dat"));
        data.db.ActivateAll();
        data.archive = orb::LoadArchiveIndex(ProgramFile("orbelle.dat"));
    }
    return data;
}

QStringList Lines(const QString& key, bool* found) {
    QByteArray value;
    const bool ok = Data().db.FindValue(key.toLatin1(), value);
    if (found) *found = ok;
    if (!ok) return {};
    // The texts are Windows-1252; the tests only compare names and markup.
    return QString::fromLatin1(value).split("\r\n");
}

QImage Member(const QString& name, orb::TArchiveEntry* entryOut) {
    if (!Data().archive) return {};
    bool found = false;
    const orb::TArchiveEntry entry = orb::FindArchiveEntry(*Data().archive, name, &found);
    if (entryOut) *entryOut = entry;
    QByteArray bytes;
    if (!found || !orb::ReadArchiveMember(Data().archive->FileName, entry, bytes)) return {};
    const QString ext = name.section('.', -1).toUpper();
    return QImage::fromData(bytes, ext.toLatin1().constData());
}

namespace {

// Labels white pixels; returns the area of each label.
std::vector<int> Label(const std::vector<char>& white, int w, int h, bool eight,
                       std::vector<int>& label) {
    label.assign(white.size(), -1);
    std::vector<int> area;
    std::queue<int> q;
    for (int s = 0; s < w * h; ++s) {
        if (!white[s] || label[s] >= 0) continue;
        const int id = int(area.size());
        area.push_back(0);
        label[s] = id;
        q.push(s);
        while (!q.empty()) {
            const int p = q.front();
            q.pop();
            ++area[id];
            const int x = p % w, y = p / w;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!dx && !dy) continue;
                    if (!eight && dx && dy) continue;
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const int n = ny * w + nx;
                    if (white[n] && label[n] < 0) {
                        label[n] = id;
                        q.push(n);
                    }
                }
        }
    }
    return area;
}

}  // namespace

ArtReport InspectLineArt(const QImage& image) {
    ArtReport r;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    std::vector<char> white(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y) & 0xFFFFFF;
            if (c != 0 && c != 0xFFFFFF) ++r.notBlackOrWhite;
            white[size_t(y) * w + x] = c == 0xFFFFFF;
        }
    std::vector<int> label4, label8;
    const std::vector<int> area4 = Label(white, w, h, false, label4);
    r.regions4 = int(area4.size());
    r.regions8 = int(Label(white, w, h, true, label8).size());
    r.smallest = area4.empty() ? 0 : *std::min_element(area4.begin(), area4.end());
    // Grow the lines by one pixel; a region whose remaining inside falls apart into two
    // sizeable parts was joined through a channel at most two pixels wide.
    std::vector<char> inner(white.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto W = [&](int xx, int yy) {
                return xx < 0 || yy < 0 || xx >= w || yy >= h || white[size_t(yy) * w + xx];
            };
            inner[size_t(y) * w + x] =
                W(x, y) && W(x - 1, y) && W(x + 1, y) && W(x, y - 1) && W(x, y + 1);
        }
    std::vector<int> innerLabel;
    const std::vector<int> innerArea = Label(inner, w, h, false, innerLabel);
    std::map<int, std::set<int>> partsOf;
    for (size_t p = 0; p < white.size(); ++p)
        if (innerLabel[p] >= 0 && innerArea[size_t(innerLabel[p])] >= 60)
            partsOf[label4[p]].insert(innerLabel[p]);
    for (const auto& [region, parts] : partsOf)
        if (parts.size() > 1) r.necks += int(parts.size()) - 1;
    return r;
}

}  // namespace contenttest
