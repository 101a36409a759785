#include "kelnor/report.h"

#include <string_view>

#include "kelnor/number_format.h"
#include "kelnor/platform/text_encoding.h"

namespace kelnor {

namespace {

using platform::appendCp936;
using platform::toCp936;

// The report's fixed texts, converted to code page 936 once.
struct FixedTexts {
    std::string title = toCp936("应用“土石坝Kelnor计算程序”计算成果");
    std::string basicData = toCp936("-----基础数据-----");
    std::string formula[3] = {toCp936("选用莆田试验站公式计算风浪要素"),
                              toCp936("选用安得烈扬诺夫公式计算风浪要素"),
                              toCp936("选用官厅—鹤地公式计算风浪要素")};
    std::string wavelengthP = toCp936("波长:    P=");
    std::string depth = toCp936("平均水深:H=");
    std::string fetch = toCp936("吹程:    D=");
    std::string wind = toCp936("计算风速:W=");
    std::string period = toCp936("平均周期:T=");
    std::string height = toCp936("平均波高:H1=");
    std::string wavelengthLambda = toCp936("波长:   λ=");
    std::string slope = toCp936("边坡系数:M=");
    std::string meanRunup = toCp936("平均爬高:R=");
    std::string results = toCp936("-----输出结果-----");
    std::string allowance = toCp936("安全加高 :H2=");
    std::string setup = toCp936("风壅水面高:E=");
    std::string runup1 = toCp936("设计爬高(p=1％-Ⅰ Ⅱ Ⅲ 级土石坝):R=");
    std::string runup5 = toCp936("设计爬高(p=5％-Ⅳ Ⅴ 级土石坝):R=");
    std::string freeboard = toCp936("计算超高:B=");
    std::string metres = toCp936("(米)");
    std::string metresPerSecond = toCp936("(米/秒)");
    std::string seconds = toCp936("(秒)");
};

const FixedTexts& fixedTexts() {
    static const FixedTexts texts;
    return texts;
}

// Lays out items by columns counted in code-page-936 bytes. A tab to a column already
// passed starts a new line at that column.
class ReportWriter {
  public:
    explicit ReportWriter(std::string& out) : out_(out) {}

    ReportWriter& tab(int column) {
        if (column_ <= column) {
            out_.append(column - column_, ' ');
        } else {
            out_ += "\r\n";
            out_.append(column - 1, ' ');
        }
        column_ = column;
        return *this;
    }
    ReportWriter& text(std::string_view cp936) {
        out_ += cp936;
        column_ += static_cast<long>(cp936.size());
        return *this;
    }
    ReportWriter& typed(std::string_view utf8) {
        return measure([&] { appendCp936(out_, utf8); });
    }
    ReportWriter& plain(double x) {
        return measure([&] { appendPlainNumber(out_, x); });
    }
    ReportWriter& twoDecimals(double x) {
        return measure([&] { appendTwoDecimals(out_, x); });
    }
    void endLine() {
        out_ += "\r\n";
        column_ = 1;
    }

  private:
    template <typename Append>
    ReportWriter& measure(Append append) {
        const std::size_t before = out_.size();
        append();
        column_ += static_cast<long>(out_.size() - before);
        return *this;
    }

    std::string& out_;
    long column_ = 1;
};

}  // namespace

std::string formatReport(FormulaChoice Igs, const InputSet& inputs, const Results& results) {
    const FixedTexts& t = fixedTexts();
    const WaveElements& w = results.waves;
    const RunupResult& r = results.runup;
    const int formula = static_cast<int>(Igs);

    std::string out;
    out.reserve(1024);
    ReportWriter line(out);
    line.tab(10).text(t.title).endLine();
    line.tab(10).text(t.basicData).endLine();
    line.tab(20).text(t.formula[(formula >= 1 && formula <= 3) ? formula - 1 : 0]).endLine();
    line.tab(5).text(t.wavelengthP).plain(w.Lambda).text(t.metres);
    line.tab(35).text(t.depth).typed(inputs[Box::H]).text(t.metres).endLine();
    line.tab(5).text(t.fetch).plain(w.Dm).text(t.metres);
    line.tab(35).text(t.wind).plain(w.W).text(t.metresPerSecond).endLine();
    line.tab(5).text(t.period).plain(w.T).text(t.seconds);
    line.tab(35).text(t.height).plain(w.H1).text(t.metres).endLine();
    line.tab(5).text(t.wavelengthLambda).plain(w.Lambda).text(t.metres);
    line.tab(35).text(t.slope).typed(inputs[Box::M]).endLine();
    line.tab(5).text(t.meanRunup).twoDecimals(r.R).text(t.metres).endLine();
    line.tab(10).text(t.results).endLine();
    line.tab(5).text(t.allowance).typed(inputs[Box::H2]).text(t.metres);
    line.tab(35).text(t.setup).plain(w.E).text(t.metres).endLine();
    line.tab(5).text(t.runup1).twoDecimals(r.R1).text(t.metres);
    line.tab(10).text(t.freeboard).twoDecimals(r.B1).text(t.metres).endLine();
    line.tab(5).text(t.runup5).twoDecimals(r.R5).text(t.metres);
    line.tab(10).text(t.freeboard).twoDecimals(r.B5).text(t.metres).endLine();
    return out;
}

std::string calculateReport(FormulaChoice Igs, const InputSet& inputs) {
    return formatReport(Igs, inputs, calculate(Igs, inputs));
}

}  // namespace kelnor
