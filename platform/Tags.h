#pragma once
// A control's Tag is its text id; it is stored on the Qt object so the language code
// and tests can read it back.
#include <QObject>
#include <QVariant>

namespace orb {

inline void SetTag(QObject* o, int tag) { o->setProperty("Tag", tag); }
inline int GetTag(const QObject* o) {
    QVariant v = o->property("Tag");
    return v.isValid() ? v.toInt() : 0;
}

}  // namespace orb
