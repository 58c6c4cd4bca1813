#pragma once

// Where the window finds its pictures: the Qt resource paths of the plenwick_resources library.

namespace plenwick::art {

inline constexpr const char* kBanner = ":/plenwick/banner.png";           // 600 x 101
inline constexpr const char* kWordDocument = ":/plenwick/worddoc.png";    // 16 x 16
inline constexpr const char* kHelpBook = ":/plenwick/helpbook.png";       // 48 x 48
inline constexpr const char* kArrowRight = ":/plenwick/arrow-right.png";  // 10 x 11
inline constexpr const char* kArrowUp = ":/plenwick/arrow-up.png";        // 12 x 11
inline constexpr const char* kHand = ":/plenwick/hand.png";               // 32 x 32
inline constexpr int kHandHotSpotX = 12;  // the tip of the index finger
inline constexpr int kHandHotSpotY = 1;
inline constexpr const char* kIcon16 = ":/plenwick/icon-16.png";
inline constexpr const char* kIcon32 = ":/plenwick/icon-32.png";
inline constexpr const char* kIcon48 = ":/plenwick/icon-48.png";
inline constexpr const char* kIconFile = ":/plenwick/plenwick.ico";  // all six images in one file

}  // namespace plenwick::art
