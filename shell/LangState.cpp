#include "shell/LangState.h"

namespace orb {
namespace {
int lngId = 44;
QString& FileName() {
    static QString name;
    return name;
}
}  // namespace

int LngID() { return lngId; }
void SetLngID(int id) { lngId = id; }
QString LngFileName() { return FileName(); }
void SetLngFileName(const QString& name) { FileName() = name; }
}  // namespace orb
