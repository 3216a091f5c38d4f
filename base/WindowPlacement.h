#pragma once

#include <QString>

struct BaseContext;

// Window geometry is stored in twips; the screen works in pixels at 15 twips a pixel.
inline constexpr int TwipsPerPixel = 15;
inline int twipsToPixels(double twips)
{
    return static_cast<int>(twips / TwipsPerPixel);
}
inline int pixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

// A stored geometry value in twips (its numeric value), or the default when none is stored.
double storedTwips(const BaseContext& context, const QString& section, const QString& key,
                   double defaultTwips);
void storeTwips(const BaseContext& context, const QString& section, const QString& key, int twips);
