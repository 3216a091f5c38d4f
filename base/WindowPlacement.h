#pragma once

#include <QString>

class Program;

// Window geometry is stored in twips, as the settings have always held it; the screen
// works in pixels at 15 twips a pixel.
inline constexpr int TwipsPerPixel = 15;
inline int twipsToPixels(double twips) { return static_cast<int>(twips / TwipsPerPixel); }
inline int pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

// A stored geometry value in twips (its numeric value), or the default when none is stored.
double storedTwips(Program& program, const QString& section, const QString& key, double defaultTwips);
void storeTwips(Program& program, const QString& section, const QString& key, int twips);
