#include "platform/Display.h"

#include <QGuiApplication>
#include <QScreen>

namespace orb {
namespace {
int g_depth = 0;
QSize g_screen;
}  // namespace

int DisplayDepth() {
    if (g_depth > 0) return g_depth;
    if (auto* s = QGuiApplication::primaryScreen()) return s->depth();
    return 32;
}

QSize ScreenSize() {
    if (g_screen.isValid() && !g_screen.isEmpty()) return g_screen;
    if (auto* s = QGuiApplication::primaryScreen()) return s->size();
    return QSize(1024, 768);
}

void SetSimulatedDepth(int bits) { g_depth = bits; }
void SetSimulatedScreen(QSize size) { g_screen = size; }

}  // namespace orb
