// Dialog units as Windows turns them into pixels, and a drop's pixels back into them: a
// unit across is a quarter of the dialog font's average letter width, a unit down an
// eighth of its height.
#pragma once

namespace platform {

// The letters whose average width is the horizontal base unit, as Windows measures it.
constexpr char kBaseUnitSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct BaseUnits {
  int x;
  int y;
};

// From the sample's width and the font's height; the average width rounded as Windows
// rounds it.
inline BaseUnits DialogBaseUnits(int sampleWidth, int fontHeight) {
  constexpr int kLetters = sizeof kBaseUnitSample - 1;
  return {(sampleWidth / (kLetters / 2) + 1) / 2, fontHeight};
}

// number * numerator / denominator, rounded half away from zero like Win32's MulDiv.
inline int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

// Dialog units in a base unit across and down.
constexpr int kUnitsAcross = 4;
constexpr int kUnitsDown = 8;

inline int PixelsAcross(const BaseUnits& units, int dialogUnits) {
  return MulDiv(dialogUnits, units.x, kUnitsAcross);
}
inline int PixelsDown(const BaseUnits& units, int dialogUnits) {
  return MulDiv(dialogUnits, units.y, kUnitsDown);
}

// A point's pixels as dialog units, rounded down: where a drop lands.
inline int DialogUnitsAcross(const BaseUnits& units, int pixels) {
  return pixels * kUnitsAcross / units.x;
}
inline int DialogUnitsDown(const BaseUnits& units, int pixels) {
  return pixels * kUnitsDown / units.y;
}

}  // namespace platform
