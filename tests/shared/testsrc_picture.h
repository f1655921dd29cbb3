// ffmpeg's "testsrc" picture at 320x240, as the test clips show it: places whose colour never
// changes while the clip plays, with that colour. testsrc draws eight vertical bars (black, cyan,
// magenta, blue, yellow, green, red, white where its circle crosses them; red and cyan swap places
// above and below the circle), under a band that scrolls and a counter that runs. Each point lies
// at least six clip pixels from any change of colour in every frame, so scaling and JPEG's blur
// leave it a clean primary. All of them showing their colour is what a plain picture, a black
// one, or a picture in the wrong place or the wrong way round cannot do: a plain colour matches
// at most the points of one bar, and a misplaced or upside-down picture puts other bars there.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace wallcine::test {

inline constexpr int kTestsrcWidth = 320;
inline constexpr int kTestsrcHeight = 240;

struct TestsrcColourPoint {
    int x;
    int y;
    COLORREF colour;
};

inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kGreen = RGB(0, 255, 0);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kYellow = RGB(255, 255, 0);
inline constexpr COLORREF kCyan = RGB(0, 255, 255);
inline constexpr COLORREF kMagenta = RGB(255, 0, 255);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);

inline constexpr TestsrcColourPoint kTestsrcColours[] = {
    {60, 8, kRed},       {260, 8, kCyan},                                                      // above the circle
    {20, 56, kBlack},    {60, 56, kCyan},     {100, 56, kMagenta}, {140, 56, kBlue},           // inside it
    {180, 56, kYellow},  {220, 56, kGreen},   {260, 56, kRed},     {300, 56, kWhite},
    {60, 128, kCyan},    {100, 128, kMagenta}, {140, 128, kBlue},  {180, 128, kYellow},
    {140, 168, kBlue},   {180, 168, kYellow}, {220, 168, kGreen},  {260, 168, kRed},           // above the band
    {100, 224, kMagenta}, {140, 224, kBlue},  {180, 224, kYellow}, {220, 224, kGreen},         // below it
};

// How far a channel may stray from the clip's colour: decoders differ in colour range and
// matrix.
inline constexpr int kTestsrcColourTolerance = 64;

inline bool NearColour(COLORREF shown, COLORREF wanted, int tolerance = kTestsrcColourTolerance) {
    return shown != CLR_INVALID && std::abs(GetRValue(shown) - GetRValue(wanted)) <= tolerance &&
           std::abs(GetGValue(shown) - GetGValue(wanted)) <= tolerance &&
           std::abs(GetBValue(shown) - GetBValue(wanted)) <= tolerance;
}

inline std::string ColourText(COLORREF colour) {
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%d,%d,%d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

}  // namespace wallcine::test
