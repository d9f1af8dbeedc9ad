#include "paint/ColorModel.h"

#include <algorithm>
#include <cmath>

#include "platform/Numbers.h"
#include "library/Palette.h"

namespace orb {

void HSVToRGB(double H, double S, double V, double& R, double& G, double& B) {
    if (H == 360.0) H = 0.0;
    const double x = H / 60.0;
    const int i = static_cast<int>(std::floor(x));
    const double f = x - i;
    const double p = V * (1 - S), q = V * (1 - S * f), t = V * (1 - (1 - f) * S);
    switch (i) {
        case 0: R = V; G = t; B = p; break;
        case 1: R = q; G = V; B = p; break;
        case 2: R = p; G = V; B = t; break;
        case 3: R = p; G = q; B = V; break;
        case 4: R = t; G = p; B = V; break;
        case 5: R = V; G = p; B = q; break;
        default:
            // Outside 0..360: no sector. Keep the brightness as a grey rather than garbage.
            R = G = B = V;
            break;
    }
}

void RGBToHSV(double R, double G, double B, double& H, double& S, double& V) {
    H = 0;
    V = std::max({R, G, B});
    const double m = std::min({R, G, B});
    S = V == 0 ? 0 : (V - m) / V;
    if (S == 0) return;
    const double r = (V - R) / (V - m), g = (V - G) / (V - m), b = (V - B) / (V - m);
    if (R == V)
        H = G == m ? 5 + b : 1 - g;
    else if (G == V)
        H = B == m ? 1 + r : 3 - b;
    else
        H = R == m ? 3 + g : 5 - r;
    H *= 60;
}

int ChannelToByte(double c) { return std::clamp(Round(c * 255.0), 0, 255); }

QColor NearestDisplayColor(const QColor& c) {
    if (const Palette* pal = GetSharedPalette()) {
        const int i = NearestPaletteIndex(*pal, c.rgb());
        if (i >= 0) return QColor::fromRgb((*pal)[i]);
    }
    return QColor(c.red(), c.green(), c.blue());
}

QColor ColorFromPercentages(int h, int s, int v) {
    double r, g, b;
    HSVToRGB(h / 100.0 * 360.0, s / 100.0, v / 100.0, r, g, b);
    return NearestDisplayColor(QColor(ChannelToByte(r), ChannelToByte(g), ChannelToByte(b)));
}

}  // namespace orb
