#pragma once

// A rectangle from the top-left of a window's client area, y down, in whatever unit the window
// lays out in: twips for the calculator's form, device pixels for the design window.

namespace kelnor {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Rect&) const = default;
};

}  // namespace kelnor
