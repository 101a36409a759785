#pragma once

// The sheet's conditions read and computed by the design code's method, one result slot per
// condition: a condition that cannot be read or computed keeps its failure (kind, column, text)
// in its slot while the others compute, and the governing condition is chosen among those that
// did.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kelnor/design/check.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/dike.h"
#include "kelnor/design/method.h"
#include "kelnor/sheet/sheet.h"
#include "kelnor/text/number.h"

namespace kelnor::sheet {

// A result or a failure of the evaluation a sheet keeps, read as an optional is: it refers
// into that evaluation and holds no copy.
template <typename T>
class Held {
  public:
    Held() = default;
    explicit Held(const T* item) : item_(item) {}
    bool has_value() const { return item_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    const T& operator*() const { return *item_; }
    const T* operator->() const { return item_; }

  private:
    const T* item_ = nullptr;
};

// A condition of the sheet, as the evaluation gives it.
struct Outcome {
    Held<design::Result> result;           // the condition computed
    Held<design::ConditionError> failure;  // or why it could not be
    // Neither: every cell is empty, the condition is not yet typed.
    // A dike's section computed: its crest settled; `result` is its waves and run-up.
    Held<design::SectionResult> section;
    DesignCode code = DesignCode::Dam;  // whose columns the failure names

    // The column of the cell at fault, to mark it; none for a failure of the calculation
    // itself or for no failure.
    std::optional<std::size_t> failedColumn() const;
    // The failure in Chinese ("第 2 行（设计洪水位）：depth 的 “-2” 应大于 0。"); empty without.
    std::string failureZh() const;
    // The warnings in Chinese, one per warning.
    std::vector<std::string> warningsZh() const;
};

struct SheetEvaluation {
    // The conditions computed by the design method as the book, the sketch and the command line
    // take them: the results and the failures in the sheet's order, the governing one among the
    // results. Shared and never changed, so the outcomes of a copy still refer into it.
    std::shared_ptr<const design::Evaluation> computed =
        std::make_shared<const design::Evaluation>();
    std::vector<Outcome> outcomes;         // one per condition of the sheet, in its order
    std::optional<std::size_t> governing;  // index into outcomes
    design::GoverningRule rule = design::GoverningRule::None;  // as `computed` chose it
    // The dam's values read, or why one cannot be; the crest settled over the conditions.
    design::Dam dam;
    std::optional<design::DamError> damError;
    design::Settlement settlement;
    // For a dam that stands: what stands checked over the conditions, where they allow it.
    std::optional<design::DamCheck> check;

    // A dike's sections: each computed and settled in the sheet's order of those that could
    // be (smoothed along the reach where the block asks), the block read; `governing` is the
    // section requiring the highest crest. Shared as `computed` is.
    DesignCode code = DesignCode::Dam;
    std::shared_ptr<const std::vector<design::SectionResult>> sections =
        std::make_shared<const std::vector<design::SectionResult>>();
    design::DikeBlock dikeBlock;
    // The sections whose existing crest stands short of the requirement.
    std::size_t shortSections = 0;
    // Each row's cells as computed, with its section or failure before the reach is smoothed:
    // the next evaluation computes again only the rows that changed.
    struct Memo {
        Row cells;
        double step = 0;
        std::optional<design::SectionResult> section;
        std::optional<design::ConditionError> failure;
    };
    std::vector<std::shared_ptr<const Memo>> memo;  // by row; none for a row not typed

    // The value of the dam at fault (an index into design::damFields()), to mark it.
    std::optional<std::size_t> failedDamField() const;

    // The design in one line: "控制工况：设计洪水位，y = 2.723 m，坝顶高程不低于 104.223 m",
    // followed by the adopted values and whether they meet their requirements where the crest
    // is settled, or for a dam that stands by the check's verdict and the adopted values as the
    // proposed raise where typed; without a level the crest part is left out; empty when
    // nothing computed.
    std::string summaryZh() const;
};

// Reads and computes every condition of `rows`; condition i is row i + 1 of the conditions.
// Reads the dam's values and settles the crest.
SheetEvaluation evaluate(const Rows& rows, const design::DamTexts& dam = design::emptyDamTexts(),
                         DesignCode code = DesignCode::Dam);
// The sheet as it stands, by its code. Given the evaluation before the last change, a dike's
// sections whose cells and step are as they were are taken from it, not computed again.
SheetEvaluation evaluate(const Sheet& sheet, const SheetEvaluation* before = nullptr);

// Numbers are written by kelnor::fixed (kelnor/text/number.h): `decimals` places, no negative
// zero, "-" as the minus sign, so a spreadsheet reads a copied number as one.
using kelnor::fixed;

}  // namespace kelnor::sheet
