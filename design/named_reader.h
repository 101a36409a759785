#pragma once

// Reading named values the one way a condition's cells and the dam's values are both read: a
// blank text is none, and a number reads as a box does (kelnor::parseNumber); one that does not
// raises the owner's own error, naming the value and its text as typed.

#include <optional>
#include <string>
#include <string_view>

#include "kelnor/design/condition.h"
#include "kelnor/design/crest.h"
#include "kelnor/text/number.h"
#include "kelnor/text/text.h"

namespace kelnor::design {

// `Owner` gives typed(name), the value's text as typed (empty where none), and
// fail(kind, name), which raises its error for that value; `Kind` is the enumeration of its
// error, with NotANumber and TooLarge among its kinds.
template <typename Owner, typename Kind>
class NamedReader {
  public:
    // The text as typed; none where it is blank.
    std::optional<std::string> text(std::string_view name) const {
        const std::string& typed = owner().typed(name);
        return isBlank(typed) ? std::nullopt : std::optional<std::string>(typed);
    }

    // The number the text reads as; none where it is blank.
    std::optional<double> number(std::string_view name) const {
        const std::optional<std::string> typed = text(name);
        return typed ? std::optional<double>(read(name, *typed)) : std::nullopt;
    }

    // `part`, all or part of the value `name` (a reserve without its per-cent sign), read as a
    // number.
    double read(std::string_view name, std::string_view part) const {
        try {
            return parseNumber(part);
        } catch (const NumberError& e) {
            owner().fail(e.kind() == NumberErrorKind::TooLarge ? Kind::TooLarge : Kind::NotANumber,
                         name);
        }
    }

    // The number above 0 the text reads as; none where it is blank.
    std::optional<double> positive(std::string_view name) const {
        const auto v = number(name);
        if (v && !(*v > 0)) {
            owner().fail(Kind::NotPositive, name);
        }
        return v;
    }

    // A reserve in metres, or with a per-cent sign (ASCII or full-width) a share of a height;
    // none where it is blank. One below 0 is refused.
    std::optional<Reserve> reserve(std::string_view name) const {
        const std::optional<std::string> typed = text(name);
        if (!typed) {
            return std::nullopt;
        }
        std::string_view number = trimBlanks(*typed);
        bool percent = false;
        for (const std::string_view sign : {std::string_view("%"), std::string_view("％")}) {
            if (number.ends_with(sign)) {
                number = trimBlanks(number.substr(0, number.size() - sign.size()));
                percent = true;
            }
        }
        const double value = read(name, number);
        if (value < 0) {
            owner().fail(Kind::Negative, name);
        }
        return Reserve{value, percent};
    }

  private:
    const Owner& owner() const { return static_cast<const Owner&>(*this); }
};

// The text of `column` in a row's cells as typed; empty for an absent column.
inline const std::string& cellText(const Cells& cells, std::string_view column) {
    static const std::string kNone;
    for (const auto& [name, text] : cells.cells) {
        if (name == column) {
            return text;
        }
    }
    return kNone;
}

}  // namespace kelnor::design
