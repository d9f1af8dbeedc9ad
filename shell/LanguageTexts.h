#pragma once
// Texts of the user interface from the language file ("Orbelle.lng"). A component's Tag is
// its text id; the Dutch design texts are the defaults and stay when anything is missing.
#include <QByteArray>
#include <QObject>
#include <QString>

#include "shell/LangState.h"  // LngID, LngFileName

namespace orb {

class TTarnObject;

// The "Caption" of the record with that Tag in the language's table of `section`, or
// `defaultText`.
QString GetLangText(int id, const QString& section, const QString& fileName,
                    const QString& defaultText);

// Translates a window (its own caption, then every object it owns, depth first) or a single
// component.
void ApplyLanguage(QObject* target, const QString& section, const QString& fileName);
// The texts of root and everything it owns, for controls built after their window was
// translated.
void ApplyLanguageToTree(QObject* root, const QString& section, const QString& fileName);

// The per-component step, with the file open and the language's table chosen.
void TranslateComponent(QObject* component, TTarnObject& db, const QByteArray& table);

// The table of `section` for the current LngID ("MainForm (English)"), or empty when the
// file has no "Contents" record for it. The file must be open.
QByteArray LanguageTable(TTarnObject& db, const QString& section);

}  // namespace orb
