#pragma once
// Hue, saturation and brightness: the colour model of the drawing settings.
#include <QColor>

namespace orb {

// H in degrees (360 is taken as 0), S and V in 0..1; R, G, B in 0..1.
void HSVToRGB(double H, double S, double V, double& R, double& G, double& B);
// R, G, B in 0..1; H in degrees (0..360, pure red gives 360), S and V in 0..1.
void RGBToHSV(double R, double G, double B, double& H, double& S, double& V);

// A channel in 0..1 as a byte, rounded half to even.
int ChannelToByte(double c);
// The colour as the display can show it: on palette displays the nearest palette colour.
QColor NearestDisplayColor(const QColor& c);
// The colour of HSV percentages (h, s, v in 0..100) as the display can show it.
QColor ColorFromPercentages(int h, int s, int v);

}  // namespace orb
