// Writes the seed corpora with the project's own writers: make_seeds <folder> <source root>.
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <string>

#include "library/CodecLibrary.h"
#include "tools/orbelle-data/DataWriters.h"

namespace {

QString GRoot;

void Put(const QString& target, const QString& name, const QByteArray& data) {
    QDir().mkpath(GRoot + "/" + target);
    QFile f(GRoot + "/" + target + "/" + name);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(data);
}

QByteArray ReadSource(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage Sample(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 16 % 256, y * 32 % 256, (x ^ y) * 8 % 256));
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("make_seeds <folder> <source root>\n", stderr);
        return 1;
    }
    GRoot = QString::fromLocal8Bit(argv[1]);
    const QString src = QString::fromLocal8Bit(argv[2]);
    QString error;

    // Text database: the catalogue as shipped, and a small one.
    std::vector<orb::TDbSourceRecord> recs;
    QByteArray file;
    if (orb::ParseDbSource(ReadSource(src + "/content/mandala/catalogue.txt"), recs, error)) {
        if (recs.size() > 40) recs.resize(40);
        if (orb::BuildDbFile(recs, file, error)) Put("textdb", "catalogue.dat", file);
    }
    if (orb::BuildDbFile({{"k", "v"}, {"", "no key"}, {"Content_31|||", "A|x\r\n\tB|y"}}, file,
                         error))
        Put("textdb", "small.dat", file);

    // Archive: stored and compressed members.
    QByteArray pattern(3000, 'w');
    for (int i = 0; i < pattern.size(); i += 7) pattern[i] = char(i % 251);
    std::vector<orb::TArchiveMemberIn> members{
        {"\\Bloemen\\roos.bmp", pattern, 0x2EEF6D6B, false},
        {"\\hist\\a.png", pattern.left(300), 0x2EEF6D6B, true}};
    if (orb::BuildArchive(members, file, error)) Put("archive", "two.dat", file);
    members.resize(1);
    if (orb::BuildArchive(members, file, error)) Put("archive", "one.dat", file);

    // Table file: one file with definition and data.
    const QByteArray description =
        "table Countries\ncolumn Code int32\ncolumn Name string length=16\n"
        "record 31 Nederland\nrecord 44 England\n\n"
        "table Fields\ncolumn B bool style=1\ncolumn By byte\ncolumn I64 int64 decimals=2\n"
        "column D datetime style=2\ncolumn X extended decimals=3\ncolumn Dbl double\n"
        "column R48 real48 decimals=1\ncolumn L list table=1 column=2 count=2\n"
        "column Sg single\ncolumn W word\n"
        "record yes 200 1234567 2024-03-01 2.5 12.5 -7.3 1,0 0.5 65535\n";
    orb::TTableFileIn table;
    if (orb::ParseTableDescription(description, table, error) &&
        orb::BuildTableFile(table, file, nullptr, error))
        Put("tarn", "table.dat", file);

    // Bitmaps by our writer at every depth; the first byte picks the decode depth.
    const QImage img = Sample(13, 7);
    for (int bits : {1, 4, 8, 24}) {
        QByteArray bmp;
        if (orb::codec::EncodeBmp(img, bits, {}, bmp) == orb::codec::Ok)
            Put("bitmap", QString("ours-%1.bmp").arg(bits),
                QByteArray(1, char(bits == 24 ? 5 : 3)) + bmp);
    }

    // Scrolling texts.
    Put("scroll", "message.scm",
        "/fc|16711680/fh|-20/fn|Arial/fs|14/ft|0110/bc|$00FF00/sp|3/sm|Hallo daar/eo|");
    Put("scroll", "credits.cms", "title\n255\n-13\nArial\n12\n1000\n0\n2\nFirst\n  Second \n");

    // Replies.
    Put("http", "length.txt",
        "HTTP/1.0 200 OK\r\nContent-Length: 5\r\nSet-Cookie: a=b\r\n\r\n12345");
    Put("http", "close.txt", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>body</p>");
    Put("http", "redirect.txt", "HTTP/1.0 302 Found\r\nLocation: /next page\r\n\r\nmoved");
    Put("http", "head.txt", "HTTP/1.1 204 No Content\r\nContent-Length: 10\r\n\r\n");

    // FTP and SMTP sessions: everything a server says, 0xFF (written ~ here) between the
    // pieces sent apart; the first byte picks FTP (even) or SMTP (odd).
    auto script = [](char mode, const char* text) {
        return QByteArray(1, mode) + QByteArray(text).replace('~', '\xff');
    };
    Put("reply", "ftp.txt",
        script(0,
               "220-Welcome\r\n220 ready\r\n~331 password\r\n~230 in\r\n~"
               "215 UNIX Type: L8\r\n~200 ok\r\n~200 PORT ok\r\n~"
               "150 Opening (3000 bytes)\r\n~226 done\r\n~226 aborted\r\n~"
               "200 PORT ok\r\n~150 Opening\r\n~226 done\r\n~221 bye\r\n"));
    Put("reply", "smtp.txt",
        script(1,
               "220 mail ready\r\n~250-hello\r\n250 SIZE 1000\r\n~250 sender ok\r\n~"
               "250 ok\r\n~550 no such user\r\n~354 go ahead\r\n~250 queued\r\n~"
               "221 bye\r\n"));

    // The server connection: direct and through the proxy, text in pieces.
    Put("server", "direct.txt", script(0, "Status=fake~hello there\r\n~~more text"));
    Put("server", "proxy.txt", script(1, (std::string(5000, 'p') + "~end").c_str()));
    Put("server", "inside.txt", script(2, "first~second"));

    // Markup: the shipped history pages.
    for (const char* lang : {"31", "44"}) {
        std::vector<orb::TDbSourceRecord> pages;
        if (!orb::ParseDbSource(ReadSource(src + "/content/history/history_" + lang + ".txt"),
                                pages, error))
            continue;
        int n = 0;
        for (const auto& page : pages) {
            if (page.Value.size() > 65000) continue;
            Put("markup", QString("h%1-%2.txt").arg(lang).arg(n++),
                QByteArray(1, char(0x3A + n % 5)) + page.Value);
        }
    }
    return 0;
}
