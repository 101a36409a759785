#pragma once

// Reading named values the one way a condition's cells and the dam's values are both read: a
// blank text is none, and a number reads as a box does (kelnor::parseNumber); one that does not
// raises the owner's own error, naming the value and its text as typed.

#include <optional>
#include <string>
#include <string_view>

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

  private:
    const Owner& owner() const { return static_cast<const Owner&>(*this); }
};

}  // namespace kelnor::design
