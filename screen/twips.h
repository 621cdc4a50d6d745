// Forms are laid out in twips, fifteen to the pixel at 96 dots an inch.
#pragma once

#include <QRect>

namespace kalo {

inline constexpr int kTwipsPerPixel = 15;

// The nearest whole pixel.
constexpr int Px(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace kalo
