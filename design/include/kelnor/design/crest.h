#pragma once

// The designer's final answer over the computed conditions: the crest (or the wave wall's top)
// required by the highest still-water level + y, the wall's own rules for the crest beneath
// it, the adopted values rounded up to a step or typed by the engineer, and the crest as built
// with the settlement still to come reserved. And the values of the dam as a whole that this
// needs, one set per conditions file with the book's title block, as texts the way a file's
// head or the window's panel holds them.

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/method.h"

namespace kelnor::design {

// Which code's file a value above the header belongs to: the title block and the rounding
// step to both, the wave wall, the reserve and the adopted values to a dam's (a dike gives
// those section by section), the smoothing of the reach and overtopping to a dike's.
enum class DamUse { Both, Dam, Dike };

// One value of the dam: its name in a conditions file and on the command line, and its Chinese
// caption in the window, the book and a block typed by hand.
struct DamField {
    std::string_view name;       // "wall"
    std::string_view captionZh;  // "防浪墙高度"
    std::string_view unitZh;     // "m", "m 或 %"; empty for a text
    std::string_view hintZh;     // shown greyed while empty: "无防浪墙"; may be empty
    bool titleBlock = false;     // part of the book's title block rather than of the dam
    DamUse use = DamUse::Dam;

    bool usedBy(DesignCode code) const {
        return use == DamUse::Both || (use == DamUse::Dike) == (code == DesignCode::Dike);
    }
};

// The title block first, then the dam's values, then a dike's, in the order a file writes them.
const std::vector<DamField>& damFields();

// The names of every value, in damFields()'s order: the rows above a file's header, which a
// row may share with a column (a dike's existing_crest).
const std::vector<std::string_view>& damFieldNames();

// The field a block row names: its name (letters in any case) or its Chinese caption, with or
// without the unit in brackets ("防浪墙高度（m）"). Nothing for a name no field has.
std::optional<std::size_t> damFieldIndex(std::string_view name);

// The caption with its unit as a window or the book labels the value: "防浪墙高度（m）".
std::string damCaptionZh(const DamField& field);

// The dam's values as typed, by damFields(), exactly damFields().size() of them.
using DamTexts = std::vector<std::string>;
DamTexts emptyDamTexts();

// The text of the field named `name` (one of damFields()).
const std::string& damText(const DamTexts& texts, std::string_view name);
void setDamText(DamTexts& texts, std::string_view name, std::string text);

enum class DamErrorKind {
    UnknownName,  // a block row names no value of the dam
    Repeated,     // a block row names a value another row already gave
    NotANumber,
    TooLarge,
    NotPositive,
    Negative,
    NeedsOther,   // a reserve in % without the dam's height; wall_top without a wall
    NotADate,     // the date is not YYYY-MM-DD (nor Excel's YYYY/M/D) of a real day
    AboveOther,   // an existing crest above the existing wall top it carries
    OtherCode,    // a value of a dike's block in a dam's file, or the reverse
    NotYesOrNo,   // smoothing the reach is neither yes nor no
    Overtopped,   // a dike that may be overtopped: protected by the overtopping volume instead
    UnknownCode,  // the code row names neither SL 274 nor GB 50286
};

// A value of the dam that cannot be used: which, the text as given, and the other value it
// needs. It carries data only; each front end words it.
class DamError : public std::exception {
  public:
    DamError(DamErrorKind kind, std::string name, std::string text, std::string other = {})
        : kind_(kind), name_(std::move(name)), text_(std::move(text)), other_(std::move(other)) {}
    DamErrorKind kind() const noexcept { return kind_; }
    const std::string& name() const noexcept { return name_; }
    const std::string& text() const noexcept { return text_; }
    const std::string& other() const noexcept { return other_; }
    const char* what() const noexcept override { return "a value of the dam cannot be used"; }

  private:
    DamErrorKind kind_;
    std::string name_;
    std::string text_;
    std::string other_;
};

// The settlement still to come, reserved on the crest: metres, or a share of the dam's height.
struct Reserve {
    double value = 0;
    bool percent = false;  // value % of the dam's height
};

// The calculation book's title block (签署栏): the project, the design stage, who computed,
// checked and reviewed, and the date. It travels with the dam's values, in the same block of a
// conditions file and the same panel of the window.
struct TitleBlock {
    // Each has its default written out, so a brace list may stop after the project.
    std::string project{};     // 工程名称
    std::string stage{};       // 设计阶段
    std::string by{};          // 计算
    std::string checkedBy{};   // 校核
    std::string reviewedBy{};  // 审查
    std::string date{};        // 日期, YYYY-MM-DD; empty: the day the book is written

    bool operator==(const TitleBlock&) const = default;
};

// The title block among the dam's texts, as typed, and put into them.
TitleBlock titleOf(const DamTexts& texts);
void putTitle(DamTexts& texts, const TitleBlock& title);
// `base` with each field `given` has put over it.
TitleBlock overTitle(TitleBlock base, const TitleBlock& given);

struct Dam {
    std::optional<double> wall;       // the wave wall's top above the crest, m; none: no wall
    std::optional<Reserve> reserve;   // none: nothing reserved
    std::optional<double> damHeight;  // m, measured to the crest without the wall
    double step = 0.1;                // the adopted values are rounded up to this, m
    std::optional<double> crest;      // the adopted crest typed by the engineer
    std::optional<double> wallTop;    // the adopted wall top typed by the engineer
    // What stands, as surveyed, for checking a dam (复核): its crest, and with a wall its top.
    std::optional<double> existingCrest;
    std::optional<double> existingWallTop;
    // The book's title block, as typed; the date as YYYY-MM-DD.
    TitleBlock title;

    // The reserve in metres: as given, or its share of the dam's height.
    double reserveMetres() const;
    // Whether the dam stands and is checked rather than designed.
    bool isCheck() const { return existingCrest || existingWallTop; }
    // Whether a crest is settled: in a design, or in a check where adopted values typed
    // propose a raise.
    bool settles() const { return !isCheck() || crest || wallTop; }
};

// Reads the dam's values. Numbers read as a cell does; an empty text takes its default. Raises
// DamError naming the value.
Dam readDam(const DamTexts& texts);

// Yes or no as a block row writes it: yes, 1, true, 是; no, 0, false, 否 or nothing (letters in
// any case, blanks around); none for anything else.
std::optional<bool> yesOrNo(std::string_view text);

// The texts of the `name,value` rows heading a conditions file, by name or caption. Raises
// DamError for a name no value has, or one given twice.
DamTexts damTextsFromRows(const std::vector<std::pair<std::string, std::string>>& rows);

// Levels are typed to the centimetre. Every comparison of a level with a bound or a step
// allows one micrometre, the binary noise of decimal fractions and no real shortfall, and
// every settled or checked value is given to the micrometre.
inline constexpr double kLevelTolerance = 1e-6;

// A settled value to the micrometre: a sum or difference of levels without its binary noise.
double toMicrometre(double metres);

// How many decimals a step is written with: 0.1 has 1, 0.05 has 2, 0.5 has 1 (at most 9).
int stepDecimals(double step);

// `value` rounded up to a multiple of `step`, written with the step's decimals: 104.2228 to
// 0.1 is 104.3; a value on a step, to kLevelTolerance, stays.
double roundUp(double value, double step);

// Which rule a bound on the crest (or the wall's top) comes from.
enum class CrestRule {
    HighestLevelPlusY,  // the crest, or with a wall its top: the highest level + y
    WallTopLessWall,    // the crest under the wall: the adopted wall top less the wall's height
    // The same from the required wall top, where a typed wall top falls short of it: the
    // higher, and so the safe, of the two.
    RequiredWallTopLessWall,
    AboveNormalLevel,    // 0.5 m above the highest normal-operation level
    AboveAbnormalLevel,  // not below the highest abnormal-operation level (check, earthquake)
};

struct CrestBound {
    CrestRule rule;
    double basis = 0;                      // the level or the wall top the bound counts from
    double value = 0;                      // the bound itself
    std::optional<std::size_t> condition;  // the result the basis comes from
    Standing standing = Standing::Confirmed;
};

// A value the designer adopts: the requirement, the value adopted (rounded up, or typed), and
// whether it meets the requirement.
struct Adopted {
    double required = 0;
    double value = 0;
    bool typed = false;
    bool met = true;
};

// The default rounding step, m.
inline constexpr double kDefaultStep = 0.1;

struct Settled {
    std::size_t highest = 0;  // the result whose level + y is the highest
    double highestLevelPlusY = 0;
    std::optional<Adopted> wallTop;  // with a wave wall
    std::vector<CrestBound> bounds;  // the crest's bounds: one without a wall, three with one
    double step = kDefaultStep;      // the rounding step the adopted values take
    // The bound that sets the required crest: the highest; of bounds equal to the micrometre,
    // the first in the order above.
    std::size_t leading = 0;
    Adopted crest;
    double reserve = 0;  // m
    double asBuilt = 0;  // 竣工坝顶高程: the adopted crest + the reserve
    // With a wall: its height over the adopted crest, and whether that is outside 1.0-1.2 m.
    std::optional<double> wallHeight;
    bool wallHeightUnusual = false;

    bool met() const { return crest.met && (!wallTop || wallTop->met); }
};

// Why the crest cannot be settled.
enum class Unsettled {
    None,
    NoConditions,  // nothing computed
    NoLevel,       // no computed condition gives its still-water level
    Failures,      // a condition failed: it might be the one that governs
};

struct Settlement {
    std::optional<Settled> settled;
    Unsettled why = Unsettled::None;
};

// The conditions a crest is settled or checked by: the one whose level + y is the highest, and
// the highest level of normal and of abnormal operation; none, with why, where the conditions
// cannot give them.
struct HighestLevels {
    std::optional<std::size_t> plusY;
    std::optional<std::size_t> normal;
    std::optional<std::size_t> abnormal;
    Unsettled why = Unsettled::None;
};
HighestLevels highestLevels(const Evaluation& evaluation);

// The crest's own bounds under a wave wall that come from the levels: 0.5 m above the highest
// normal-operation level, not below the highest abnormal-operation level (where a condition of
// each kind gives its level).
std::vector<CrestBound> levelBounds(const Evaluation& evaluation, const HighestLevels& highest);

// Settles the crest over the computed conditions with a level.
Settlement settleCrest(const Evaluation& evaluation, const Dam& dam);

// A dike's values above its sections' header: the title block, the rounding step of the
// adopted crests and whether they are made monotone along the reach.
struct DikeBlock {
    TitleBlock title;
    double step = kDefaultStep;
    bool smooth = false;
    std::string worked;  // the section the book works in full; empty: the highest requirement
};

// Reads a dike's values as readDam reads a dam's. Raises DamError naming the value: a dam's
// value (OtherCode), a smoothing neither yes nor no (是/否, yes/no, 1/0), a dike that may be
// overtopped, which the code protects by the overtopping volume, a study of its own.
DikeBlock readDikeBlock(const DamTexts& texts);

}  // namespace kelnor::design
