#pragma once

#include <span>
#include <string>
#include <string_view>

#include "kelnor/text/rect.h"

// The calculator's one form as every window draws it: its controls by the names and indices
// the engineers know them by, their captions (UTF-8), their places in twips, and the order the
// Tab key visits them in. A window only turns this into its toolkit's controls.
namespace kelnor::form {

inline constexpr std::string_view kWindowTitle = "土石坝Kelnor计算";

// The client area in twips; 1440 twips to the inch.
inline constexpr int kClientWidth = 6192;
inline constexpr int kClientHeight = 3960;

inline constexpr int kTwipsPerInch = 1440;

enum class ControlKind {
    Label,    // static text
    TextBox,  // a one-line input box; its caption is the text it starts with
    Frame,    // the group box around the formula choice
    Option,   // a radio button of the formula choice, placed within the frame
    Button,   // a push button
};

// A rectangle in twips from the top-left of the window's client area, or of Frame1 for the
// options.
using Twips = Rect;

struct Control {
    ControlKind kind;
    std::string_view name;  // "Label1", "Text1", "Frame1", "Option1", "Label2", "Command1" …
    int index;              // index within a control array; -1 for a single control
    std::string_view caption;
    Twips place;

    bool inFrame() const { return kind == ControlKind::Option; }
    // "Text1(0)" for an array member, "Frame1" for a single control.
    std::string id() const;
};

// Every control in the window's visual order: one that comes later lies on top of an earlier
// one where they overlap (a long label runs on under its input box).
std::span<const Control> controls();

// The control `name`(`index`); raises std::out_of_range for one the form does not have.
const Control& control(std::string_view name, int index = -1);

// The controls in the order the Tab key visits them: the way the form is filled in, not the
// screen. The three options stand together and make one stop, at the selected option; the
// arrow keys move within them.
std::span<const Control* const> tabChain();

// How a message names input box `box`: its label's caption without the closing colon.
std::string boxName(int box);

// A rectangle in device pixels; right and bottom are the first pixels outside it.
struct Pixels {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Pixels&) const = default;
};

// `twips` at `dpi` pixels to the inch, to the nearest pixel.
int pixels(int twips, int dpi);

// Converts the edges rather than the sizes, so that edges level in twips stay level in pixels
// (each label's bottom with its box's bottom) at any resolution.
Pixels pixels(const Twips& place, int dpi);

// The room a label's caption has: the label's own rectangle, ending where an input box lying
// on top of it begins.
Twips captionRoom(const Control& label);

// The message for a file the user asked to open that is not there: why, then the file.
std::string missingFileMessage(std::string_view whenMissing, std::string_view path);

// Where a window of `width` × `height` pixels, frame included, stands centred on the work area
// `area`. A window larger than the area keeps its top-left corner, and so its title bar, on it.
struct Origin {
    int x = 0;
    int y = 0;
    bool operator==(const Origin&) const = default;
};
Origin centredOrigin(int width, int height, const Pixels& area);

}  // namespace kelnor::form
