// A whole calculation and its report from eight arbitrary box texts and a formula byte. The
// run either fails with one of the four calculation kinds (a reading failure naming a box
// whose text indeed does not read) or gives finite results and a report that can be read
// back item by item: every fixed text at its column, every line ended by CR LF, the typed
// texts echoed unchanged, and every figure a well-formed number that is the result it
// stands for, so no "inf", "nan" or runaway exponent can hide in it.
//
// Input: the first byte chooses the formula (byte % 4; 0 is no formula at all), the rest is
// split at line feeds into the eight texts, depth first; the eighth takes what is left.

#include <iconv.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "kelnor/calculation.h"
#include "kelnor/failure.h"
#include "kelnor/inputs.h"
#include "kelnor/report.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::broken;
using fuzz::require;

// UTF-8 to code page 936 through the system's converter, for the expected fixed texts and
// the echoed inputs (an accepted number holds only characters the code page has).
std::string cp936(std::string_view utf8) {
    static const iconv_t cd = iconv_open("CP936", "UTF-8");
    require(cd != reinterpret_cast<iconv_t>(-1), "iconv knows CP936");
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    require(iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1),
            "the text converts to CP936", asCString(utf8));
    out.resize(out.size() - outLeft);
    return out;
}

enum class Field { None, Plain, TwoDecimals, Typed };

// One item of the layout: tab to `column`, the fixed text, a field, a unit, maybe the end of
// the line.
struct Item {
    int column;
    std::string_view label;
    Field field = Field::None;
    double value = 0;
    std::string_view typed;
    std::string_view unit;
    bool endsLine = false;
};

std::vector<Item> layout(FormulaChoice Igs, const InputSet& in, const Results& r) {
    static constexpr std::string_view formulaLine[] = {"选用莆田试验站公式计算风浪要素",
                                                       "选用安得烈扬诺夫公式计算风浪要素",
                                                       "选用官厅—鹤地公式计算风浪要素"};
    const WaveElements& w = r.waves;
    const RunupResult& u = r.runup;
    const Field P = Field::Plain, F = Field::TwoDecimals, X = Field::Typed, N = Field::None;
    const std::string_view m = "(米)";
    return {
        {10, "应用“土石坝Kelnor计算程序”计算成果", N, 0, {}, {}, true},
        {10, "-----基础数据-----", N, 0, {}, {}, true},
        {20, formulaLine[static_cast<int>(Igs) - 1], N, 0, {}, {}, true},
        {5, "波长:    P=", P, w.Lambda, {}, m},
        {35, "平均水深:H=", X, 0, in[Box::H], m, true},
        {5, "吹程:    D=", P, w.Dm, {}, m},
        {35, "计算风速:W=", P, w.W, {}, "(米/秒)", true},
        {5, "平均周期:T=", P, w.T, {}, "(秒)"},
        {35, "平均波高:H1=", P, w.H1, {}, m, true},
        {5, "波长:   λ=", P, w.Lambda, {}, m},
        {35, "边坡系数:M=", X, 0, in[Box::M], {}, true},
        {5, "平均爬高:R=", F, u.R, {}, m, true},
        {10, "-----输出结果-----", N, 0, {}, {}, true},
        {5, "安全加高 :H2=", X, 0, in[Box::H2], m},
        {35, "风壅水面高:E=", P, w.E, {}, m, true},
        {5, "设计爬高(p=1％-Ⅰ Ⅱ Ⅲ 级土石坝):R=", F, u.R1, {}, m},
        {10, "计算超高:B=", F, u.B1, {}, m, true},
        {5, "设计爬高(p=5％-Ⅳ Ⅴ 级土石坝):R=", F, u.R5, {}, m},
        {10, "计算超高:B=", F, u.B5, {}, m, true},
    };
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when `value` and the figure written for it agree to the 15 significant digits the
// report keeps.
bool agrees(double written, double value) {
    return std::fabs(written - value) <= 1e-14 * std::fabs(value) + 2 * DBL_TRUE_MIN;
}

// Reads the report against the layout, the way its column model places the items.
class ReportReader {
  public:
    explicit ReportReader(std::string_view bytes) : bytes_(bytes) {}

    // Returns the width in bytes of the item's field.
    std::size_t item(const Item& it) {
        if (column_ <= it.column) {
            expect(std::string(it.column - column_, ' '), it.label);
        } else {
            // A tab to a column already passed ends the line and indents to that column.
            expect("\r\n" + std::string(it.column - 1, ' '), it.label);
        }
        column_ = it.column;
        expect(cp936(it.label), it.label);
        const std::size_t start = pos_;
        switch (it.field) {
            case Field::None:
                break;
            case Field::Plain:
                plainNumber(it.value, it.label);
                break;
            case Field::TwoDecimals:
                twoDecimals(it.value, it.label);
                break;
            case Field::Typed:
                expect(cp936(it.typed), it.label);
                break;
        }
        const std::size_t width = pos_ - start;
        expect(cp936(it.unit), it.label);
        if (it.endsLine) {
            expect("\r\n", it.label);
            column_ = 1;
        }
        return width;
    }

    bool atEnd() const { return pos_ == bytes_.size(); }

  private:
    void expect(const std::string& s, std::string_view where) {
        if (bytes_.substr(pos_, s.size()) != s) {
            broken("the report holds the expected bytes at " + std::string(where),
                   "expected " + asCString(s) + " at byte " + std::to_string(pos_) + " of " +
                       asCString(bytes_));
        }
        advance(s.size());
    }

    void advance(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            ++column_;
            if (bytes_[pos_ + i] == '\n') {
                column_ = 1;
            }
        }
        pos_ += n;
    }

    std::string fieldError(std::string_view field, double value) const {
        return asCString(field) + " for " + std::to_string(value) + " in " + asCString(bytes_);
    }

    // " 18.47 ", "-.05 ", " 4000 ", " 1.5E+300 ", " 5E-03 ": sign or blank, at most 15
    // significant digits, a blank; the exponent form exactly below 0.01 and from 1E15 up.
    void plainNumber(double value, std::string_view where) {
        const std::size_t close = bytes_.find(' ', pos_ + 1);
        require(close != std::string_view::npos, "a plain number ends in a blank",
                std::string(where));
        const std::string_view field = bytes_.substr(pos_, close + 1 - pos_);
        const std::string_view body = field.substr(1, field.size() - 2);
        require(field[0] == ' ' || field[0] == '-', "a plain number starts with a sign or blank",
                fieldError(field, value));

        const std::size_t e = body.find('E');
        const std::string_view mantissa = body.substr(0, e);
        std::size_t digits = 0, points = 0;
        for (const char c : mantissa) {
            c == '.' ? ++points : isDigit(c) ? ++digits : digits += 100;
        }
        const bool wellFormed =
            digits >= 1 && digits <= 15 && points <= 1 && (mantissa == "0" || mantissa[0] != '0') &&
            (points == 0 || mantissa.back() != '0') && mantissa.back() != '.' &&
            (e == std::string_view::npos ||
             (isDigit(mantissa[0]) && (points == 0 || mantissa[1] == '.') && body.size() - e >= 4 &&
              body.size() - e <= 5 && (body[e + 1] == '+' || body[e + 1] == '-') &&
              isDigit(body[e + 2]) && isDigit(body[e + 3]) &&
              (body.size() - e == 4 || isDigit(body[e + 4]))));
        require(wellFormed, "a plain number is well formed", fieldError(field, value));

        const double written = std::strtod(std::string(field).c_str(), nullptr);
        require(std::isfinite(written) && agrees(written, value),
                "a plain number is the result to 15 digits", fieldError(field, value));
        require((field[0] == '-') == (written < 0), "a plain number's sign is the result's",
                fieldError(field, value));
        const bool exponentForm = e != std::string_view::npos;
        const double magnitude = std::fabs(written);
        require(exponentForm == (magnitude != 0 && (magnitude < 0.01 || magnitude >= 1e15)),
                "the exponent form only below 0.01 and from 1E15 up", fieldError(field, value));
        advance(field.size());
    }

    // ".78", "1.73", "-12.35", ".00": no zero before the point, two decimals.
    void twoDecimals(double value, std::string_view where) {
        std::size_t end = pos_;
        while (end < bytes_.size() &&
               (isDigit(bytes_[end]) || bytes_[end] == '-' || bytes_[end] == '.')) {
            ++end;
        }
        const std::string_view field = bytes_.substr(pos_, end - pos_);
        const std::string_view body = field.substr(field.starts_with('-') ? 1 : 0);
        const std::size_t point = body.find('.');
        bool wellFormed = point != std::string_view::npos && body.size() - point == 3 &&
                          (point == 0 || body[0] != '0');
        for (std::size_t i = 0; wellFormed && i < body.size(); ++i) {
            wellFormed = i == point || isDigit(body[i]);
        }
        require(wellFormed, "a two-decimal figure is well formed in " + std::string(where),
                fieldError(field, value));
        const double written = std::strtod(std::string(field).c_str(), nullptr);
        require(std::isfinite(written) &&
                    std::fabs(written - value) <= 0.005 + 1e-14 * std::fabs(value),
                "a two-decimal figure is the result rounded", fieldError(field, value));
        require(!field.starts_with('-') || written < 0,
                "a figure that rounds to zero has no minus sign", fieldError(field, value));
        require(written == 0 || (written < 0) == (value < 0),
                "a two-decimal figure keeps the result's sign", fieldError(field, value));
        advance(field.size());
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int column_ = 1;
};

void checkResultsAreFinite(const Results& r) {
    const WaveElements& w = r.waves;
    const RunupResult& u = r.runup;
    for (const double x :
         {w.W, w.Dm, w.H1, w.T, w.Lambda, w.E, u.R, u.K1, u.K5, u.R1, u.R5, u.B1, u.B5}) {
        require(std::isfinite(x), "every result is finite");
    }
}

void checkReport(FormulaChoice Igs, const InputSet& inputs, const Results& results,
                 const std::string& bytes) {
    for (const std::string_view garbage : {"inf", "INF", "nan", "NAN", "Inf", "NaN"}) {
        require(bytes.find(garbage) == std::string::npos, "the report holds no inf or nan",
                asCString(bytes));
    }
    ReportReader reader(bytes);
    std::size_t longLeftFields = 0;
    for (const Item& it : layout(Igs, inputs, results)) {
        const std::size_t width = reader.item(it);
        // The left half of lines 4 to 7 and 10 starts at column 5 with an 11-byte text
        // (13 for the allowance) and ends in a 4-byte unit.
        if (it.column == 5 && it.field == Field::Plain && width >= 16) {
            ++longLeftFields;
        }
        if (it.column == 5 && it.field == Field::Typed && width >= 14) {
            ++longLeftFields;
        }
    }
    require(reader.atEnd(), "nothing follows the last line", asCString(bytes));

    // 14 lines; each left half that runs past column 35 pushes its right half to a line of
    // its own: the allowance from 14 bytes, a plain number from 16 bytes (a wide value).
    std::size_t lines = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2)) {
        ++lines;
    }
    require(lines == 14 + longLeftFields, "14 lines, one more for each long left half",
            std::to_string(lines) + " lines in " + asCString(bytes));
    const auto count = [&](char c) {
        return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), c));
    };
    require(count('\r') == lines && count('\n') == lines, "no CR or LF outside a CR LF",
            asCString(bytes));
}

void checkFailure(const Failure& f, const InputSet& inputs) {
    const FailureKind kind = f.kind();
    require(kind == FailureKind::TypeMismatch || kind == FailureKind::DivisionByZero ||
                kind == FailureKind::Overflow || kind == FailureKind::InvalidArgument,
            "a calculation fails with one of the four kinds", f.what());
    if (!f.box()) {
        return;
    }
    const int box = *f.box();
    require(box >= 0 && box < kBoxCount, "a reading failure names one of the eight boxes",
            f.what());
    require(f.text() == inputs.text[box], "a reading failure carries the box's text", f.what());
    try {
        readNumber(inputs.text[box], box);
        broken("the box named by a reading failure does not read", f.what());
    } catch (const Failure& again) {
        require(again.kind() == kind, "the box fails to read the same way", f.what());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto Igs = static_cast<FormulaChoice>(data[0] % 4);
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    InputSet inputs;
    for (int b = 0; b < kBoxCount; ++b) {
        const std::size_t cut = b + 1 < kBoxCount ? rest.find('\n') : std::string_view::npos;
        inputs.text[b] = std::string(rest.substr(0, cut));
        rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    }

    Results results;
    try {
        results = calculate(Igs, inputs);
    } catch (const Failure& f) {
        checkFailure(f, inputs);
        return 0;
    }
    require(data[0] % 4 != 0, "no formula is an invalid argument");
    checkResultsAreFinite(results);
    checkReport(Igs, inputs, results, formatReport(Igs, inputs, results));
    return 0;
}
