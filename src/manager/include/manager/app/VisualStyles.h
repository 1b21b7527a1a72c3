#pragma once
// The visual styles of the main window.  The AppLook preference keeps the product's
// numbers 1 to 9; on Linux each is the Fusion style with a palette of its own:
//
//   1 Plain   the classic light grey          6 Blue     blue-tinted frame
//   2 Light   white panes, soft grey frame    7 Dark     dark frame and panes
//   3 System  the desktop theme's colours     8 Silver   cool grey
//   4 Mist    light blue-grey                 9 Aqua     sea-green tint
//   5 Sand    warm beige (only through the preference)
//
// Value 0 and anything outside 1 to 9 mean 2, the default look.
#include <QPalette>

inline constexpr int kDefaultLook = 2;

// 2 for 0 and for values outside 1 to 9; the value itself otherwise.
int NormaliseLook(int value);
// The look that a View > Application Look command selects (commands 30 to 37); 0 for
// any other command.
int LookForCommand(int commandId);
// The command that selects a look; 0 for look 5, which has no menu entry.
int CommandForLook(int look);
// The palette of a look (normalised first).
QPalette LookPalette(int look);
// Makes the look the application's: Fusion style, the palette, and the few style-sheet
// touches that the frame's bars need.
void ApplyLook(int look);
