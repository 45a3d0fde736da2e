#pragma once
// Control IDs follow one rule in every window, so that tests, automation and
// assistive technology find a control by the name the program gives it.
namespace mekuri {

constexpr int TextId(int n) { return 100 + n; }
constexpr int CommandId(int n) { return 200 + n; }
constexpr int LabelId(int n) { return 300 + n; }
constexpr int ListId(int n) { return 400 + n; }
constexpr int FrameId(int n) { return 500 + n; }
constexpr int kStatusBarId = 600;
constexpr int PictureId(int n) { return 700 + n; }
constexpr int Label4Id(int i) { return 1000 + i; }  // the grid cells of the main window
constexpr int Label6Id(int i) { return 1200 + i; }  // the month headings of the main window

}  // namespace mekuri
