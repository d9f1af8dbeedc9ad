#include "shell/LangState.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace orb {
namespace {
int lngId = 44;
QString& FileName() {
    static QString name;
    return name;
}

// Qt's own texts (file and print dialogs, their buttons) follow the program's language, not
// the system's: Qt's translation catalogue for the language, and the locale for numbers,
// dates and paper sizes shown there.
void FollowInQt(int id) {
    if (!QCoreApplication::instance()) return;
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QLocale locale = id == 31 ? QLocale(QLocale::Dutch, QLocale::Netherlands)
                                    : QLocale(QLocale::English, QLocale::UnitedKingdom);
    QLocale::setDefault(locale);
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        installed = std::move(qt);
    }
}
}  // namespace

int LngID() { return lngId; }
void SetLngID(int id) {
    lngId = id;
    FollowInQt(id);
}
QString LngFileName() { return FileName(); }
void SetLngFileName(const QString& name) { FileName() = name; }
}  // namespace orb
