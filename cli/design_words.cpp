#include "design_words.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "kelnor/csv/writing.h"
#include "kelnor/design/tables.h"
#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor::cli {

namespace {

using design::ConditionErrorKind;
using design::Limits;
using design::WarningKind;

// Six significant digits, as the warnings cell has always shown its numbers: 5.64405, 27.
std::string shortNumber(double v) {
    std::ostringstream out;
    out.precision(6);
    out << v;
    return out.str();
}

// Six significant digits, or as many more as it takes to tell the value from its bound:
// "slope m 5.0000001 is above 5", never "5 is above 5".
std::string telling(double v, double limit) {
    std::string text = shortNumber(v);
    for (int precision = 7; precision <= 17 && v != limit; ++precision) {
        double shown = 0;
        std::from_chars(text.data(), text.data() + text.size(), shown);
        if ((shown - limit) * (v - limit) > 0) {
            break;
        }
        std::ostringstream out;
        out.precision(precision);
        out << v;
        text = out.str();
    }
    return text;
}

// A table value as the table prints it, with two decimals: 1.30.
std::string tableValue(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

}  // namespace

std::string describe(const design::ConditionError& e) {
    using enum ConditionErrorKind;
    static constexpr Word<ConditionErrorKind> kFailures[] = {
        {Missing, "{col} is required"},
        {NotANumber, "{col} {q} is not a number"},
        {TooLarge, "{col} {q} is too large"},
        {NotPositive, "{col} {q} must be above 0"},
        {Negative, "{col} {q} must not be below 0"},
        {UnknownChoice, "{col} {q} is not {choices}"},
        {OutsideTable, "frequency {q} is outside the Kp table ({low} to {high} %)"},
        {AngleTooLarge, "angle {q} must be below 90 degrees"},
        {UnknownColumn, "unknown column \"{col}\""},
        {NotFinite, "the calculation leaves the double range"},
        {BothGiven, "{col} {q} and {other} {otherQ} are both given; give {which}, not both"},
        {NeedsOther, "{col} {q} needs {other}, the annual maximum it multiplies"},
        {NotForOperation, "{col} {q} belongs to an earthquake condition, not {other} {otherQ}"},
        {NotForDike, "{col} {q} is not the dike code's: a dike's waves are Putian's"},
        {RayCount,
         "{col} {q} gives {rays} distances; give 13 (7.5 degrees apart) or 7 (15 degrees apart)"}};
    // A missing value another column can stand for names that column too.
    static constexpr std::string_view kMissingOr = "{col} is required, or {other} to derive it";
    // The choices a column offers, as the command line names them.
    const std::string& col = e.column();
    const std::string_view choices = col == "formula"     ? "putian, hedi or guanting"
                                     : col == "grade"     ? "1, 2, 3, 4 or 5"
                                     : col == "operation" ? "normal, abnormal or earthquake"
                                                          : "mountain or plain";
    std::string out = e.row() > 0 ? "row " + std::to_string(e.row()) : std::string("condition");
    if (!e.label().empty()) {
        out += " (" + e.label() + ")";
    }
    const bool missingOr = e.kind() == Missing && !e.otherColumn().empty();
    return out + ": " +
           fillIn(missingOr ? kMissingOr : wordFor(e.kind(), kFailures),
                  {{"col", col},
                   {"q", "\"" + e.text() + "\""},
                   {"other", e.otherColumn()},
                   {"otherQ", "\"" + e.otherText() + "\""},
                   {"choices", choices},
                   {"low", shortNumber(design::kKpColumns.front())},
                   {"high", shortNumber(design::kKpColumns.back())},
                   {"rays", std::to_string(design::rayTexts(e.text()).size())},
                   {"which", col == "fetch" ? "the fetch or the rays its equivalent is derived from"
                                            : "W or the annual maximum it is derived from"}});
}

std::string describe(const design::Warning& w) {
    using enum WarningKind;
    static constexpr Word<WarningKind> kWarnings[] = {
        {HediWind, "Hedi formula: wind {v} m/s is not below {l} m/s"},
        {HediFetch, "Hedi formula: fetch {v} km is not below {l} km"},
        {GuantingWind, "Guanting formula: wind {v} m/s is not below {l} m/s"},
        {GuantingFetch, "Guanting formula: fetch {v} km is not below {l} km"},
        {GuantingGd, "Guanting formula: gD/W2 {v} is outside {gdLow}-{gdHigh}"},
        {SlopeAboveFive, "slope m {v} is above {l}: gentle-slope formula beyond its range"},
        {KwExtrapolated, "W/sqrt(gH) {v} is beyond the Kw table ({l}): Kw {kw} held"},
        {RatioExtrapolated, "hm/Hm {v} is beyond the hp/hm table ({l}): last row held"},
        {WavesBreak, "hm/H {v} reaches {l}: waves break in front of the dam"},
        {AngleBeyondTable, "angle {v} degrees is beyond the Kbeta table ({l}): Kbeta {kbeta} held"},
        {FetchTooLong, "fetch {v} km is above {l} km: typed in metres?"},
        {SetupTooHigh, "wind set-up e {v} m is above {share} of the mean depth Hm ({l} m)"},
        {DepthTooShallow, "depth H {v} m is below {l} m"},
        {MeanDepthTooShallow, "mean depth Hm {v} m is below {l} m"},
        {WindFactorOutside, "wind_factor {v} is outside {kLow}-{kHigh}"},
        {WindFactorBelowNormal, "wind_factor {v} is below {l}, the least for normal operation"},
        {RoughnessAboveSmooth, "roughness {v} is above {l}, a smooth impermeable slope's"},
        {SurgeOutside, "surge {v} m is outside {surgeLow}-{surgeHigh} m"},
        {WavesNotSteep, "wave steepness H/L {v} is below {l}, where the run-up forms hold"},
        {DurationToCheck, "fetch {v} km is above {l} km: check the wind's duration"},
        {AllowanceAboveGrade1, "allowance A {v} m of a grade 1 dike is above {l} m"},
        {ChainageBackwards,
         "chainage {v} m runs back behind {l} m of the section before: the order is kept"},
        {ChainageUnread, "the name looks like a chainage but does not read as one (K1+250)"},
    };
    return fillIn(wordFor(w.kind, kWarnings), {{"v", telling(w.value, w.limit)},
                                               {"surgeLow", shortNumber(design::SurgeRange::low)},
                                               {"surgeHigh", shortNumber(design::SurgeRange::high)},
                                               {"l", shortNumber(w.limit)},
                                               {"gdLow", shortNumber(Limits::guantingGdLow)},
                                               {"gdHigh", shortNumber(Limits::guantingGdHigh)},
                                               {"kw", tableValue(design::kwTable().back().y)},
                                               {"kbeta", tableValue(design::kbetaTable().back().y)},
                                               {"share", shortNumber(Limits::setupShareOfHm)},
                                               {"kLow", shortNumber(design::WindFactors::low)},
                                               {"kHigh", shortNumber(design::WindFactors::high)}});
}

std::string describe(const design::DamError& e) {
    using enum design::DamErrorKind;
    static constexpr Word<design::DamErrorKind> kFailures[] = {
        {UnknownName, "the row {qn} above the header names no value of the dam ({names})"},
        {Repeated, "the dam's value {name} is given twice"},
        {NotANumber, "the dam's value {name} {q} is not a number"},
        {TooLarge, "the dam's value {name} {q} is too large"},
        {NotPositive, "the dam's value {name} {q} must be above 0"},
        {Negative, "the dam's value {name} {q} must not be below 0"},
        {NeedsOther, "the dam's value {name} {q} needs {other}"},
        {NotADate, "the dam's value {name} {q} is not a date written YYYY-MM-DD"},
        {AboveOther, "the dam's value {name} {q} is above {other}"},
        {UnknownCode, "the code {q} above the header is neither SL 274 nor GB 50286"},
        {OtherCode, "the row {qn} above the header is not one of this code's values"},
        {NotYesOrNo, "the dike's {name} {q} is not yes or no"},
        {Overtopped,
         "a dike that may be overtopped is protected by the overtopping volume (GB 50286), a "
         "study of its own: only a dike that must not be overtopped is computed"}};
    std::string names;
    for (const auto& f : design::damFields()) {
        names += names.empty() ? "" : ", ";
        names += f.name;
    }
    return fillIn(wordFor(e.kind(), kFailures), {{"name", e.name()},
                                                 {"q", "\"" + e.text() + "\""},
                                                 {"qn", "\"" + e.name() + "\""},
                                                 {"other", e.other()},
                                                 {"names", names}});
}

std::string describe(design::CrestRule rule, const design::Dam& dam) {
    switch (rule) {
        case design::CrestRule::HighestLevelPlusY:
            return "highest still-water level + y";
        case design::CrestRule::WallTopLessWall:
            return "wall top less the wall's " + shortNumber(dam.wall.value_or(0)) + " m";
        case design::CrestRule::RequiredWallTopLessWall:
            return "required wall top less the wall's " + shortNumber(dam.wall.value_or(0)) + " m";
        case design::CrestRule::AboveNormalLevel:
            return shortNumber(design::WallRules::aboveNormal) +
                   " m above the highest normal-operation level";
        case design::CrestRule::AboveAbnormalLevel:
            return "not below the highest abnormal-operation level";
    }
    return {};
}

std::string describe(design::Unsettled why) {
    switch (why) {
        case design::Unsettled::None:
            return {};
        case design::Unsettled::NoConditions:
            return "not settled: no condition computed";
        case design::Unsettled::NoLevel:
            return "not settled: no condition gives its still-water level";
        case design::Unsettled::Failures:
            return "not settled: a condition failed and might govern";
    }
    return {};
}

std::string settledNumber(double v) {
    std::string out;
    csv::appendShortest(out, design::toMicrometre(v));
    return out;
}

std::string checkShortfall(const design::Evaluation& ev, const design::DamCheck& check) {
    std::string line = "what stands does not meet the code:";
    std::string_view sep = " ";
    const auto shortOf = [&](std::string_view what, const design::Margin& m,
                             const std::string& basis) {
        if (!m.met) {
            line += std::string(sep) + "the " + std::string(what) + " " +
                    settledNumber(m.existing) + " is " + settledNumber(-m.margin) + " m short of " +
                    settledNumber(m.required) + " (" + basis + ")";
            sep = ", ";
        }
    };
    const auto label = [&](std::size_t result) { return ev.results[result].condition.label; };
    const design::ConditionCheck& governing = check.conditions[check.governing];
    shortOf(check.wallTop ? "wall top" : "crest", governing.margin, label(governing.result));
    for (const design::RuleCheck& r : check.rules) {
        shortOf("crest", r.margin, label(*r.bound.condition));
    }
    sep = "; ";
    const auto raise = [&](std::string_view what, double by) {
        if (by > 0) {
            line += std::string(sep) + "raise the " + std::string(what) + " by " +
                    settledNumber(by) + " m";
            sep = ", ";
        }
    };
    raise(check.wallTop ? "wall top" : "crest", check.wallTop ? check.wallRaise : check.crestRaise);
    if (check.wallTop) {
        raise("crest", check.crestRaise);
    }
    return line;
}

std::vector<std::string> shortfalls(const design::Settled& settled) {
    std::vector<std::string> out;
    const auto below = [&](std::string_view what, const design::Adopted& a) {
        if (!a.met) {
            out.push_back("adopted " + std::string(what) + " " + settledNumber(a.value) +
                          " is below the required " + settledNumber(a.required));
        }
    };
    if (settled.wallTop) {
        below("wall top", *settled.wallTop);
    }
    below("crest", settled.crest);
    return out;
}

std::string describe(const docx::TemplateError& e) {
    using enum docx::TemplateErrorKind;
    static constexpr Word<docx::TemplateErrorKind> kReasons[] = {
        {MacroEnabled, "a macro-enabled document (.docm, .dotm or a VBA project) is not taken"},
        {NotAZip,
         "not a Word .docx or .dotx (an old .doc, an encrypted document or another kind of file)"},
        {NotWord, "a zip without word/document.xml, so no Word document"},
        {UnsafeName, "the entry {q} would lie outside the document"},
        {TooLarge, "it unpacks beyond a sane size (a zip bomb)"},
        {Damaged, "the file is damaged{at}"},
    };
    const std::string quoted = inQuotes(escapeControls(e.entry()));
    return fillIn(wordFor(e.kind(), kReasons),
                  {{"q", quoted}, {"at", e.entry().empty() ? std::string() : " at " + quoted}});
}

}  // namespace kelnor::cli
