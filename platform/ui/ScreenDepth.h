#pragma once
// The colour depth GetDeviceCaps reports for the screen (BITSPIXEL, and NUMCOLORS, which is -1
// above 256 colours) comes from the primary screen. Tests stand in for a screen of another depth.

// 0 reads the real screen again.
void SetScreenColorDepthOverride(int BitsPerPixel);
