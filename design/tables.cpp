#include "kelnor/design/tables.h"

#include <algorithm>
#include <cmath>

#include "kelnor/text/words.h"

namespace kelnor::design {

namespace {

constexpr Standing C = Standing::Confirmed;
constexpr Standing X = Standing::Corroborated;
constexpr Standing M = Standing::NotConfirmed;
constexpr Standing D = Standing::Derived;

// Kw against W/√(gH); the table gives 1.00 for 1 and below and 1.30 for 5 and above.
// clang-format off
constexpr std::array<TablePoint, 8> kKw = {{
    {1.0, 1.00, X}, {1.5, 1.02, X}, {2.0, 1.08, X}, {2.5, 1.16, X},
    {3.0, 1.22, X}, {3.5, 1.25, X}, {4.0, 1.28, X}, {5.0, 1.30, X}
}};
// clang-format on

// R0 for KΔ = 1 and hm = 1 m against the slope coefficient m, steep slopes m ≤ 1.25.
constexpr std::array<TablePoint, 4> kR0 = {
    {{0.0, 1.24, X}, {0.5, 1.45, X}, {1.0, 2.20, X}, {1.25, 2.50, X}}};

// Kβ against the angle between the wind and the normal to the dam axis, degrees.
// clang-format off
constexpr std::array<TablePoint, 7> kKbeta = {{
    {0, 1.00, M}, {10, 0.98, M}, {20, 0.96, M}, {30, 0.92, M},
    {40, 0.87, M}, {50, 0.82, M}, {60, 0.76, M}
}};
// clang-format on

// Rp/Rm by hm/H band; columns P = 0.1, 1, 2, 4, 5, 10, 14, 20, 30, 50 %.
constexpr std::array<KpRow, 3> kKp = {{
    {KpBand::Below01,
     "hm/H < 0.1",
     {2.66, 2.23, 2.07, 1.90, 1.84, 1.64, 1.53, 1.39, 1.22, 0.96},
     {X, C, X, M, C, M, M, M, M, M}},
    {KpBand::From01To03,
     "0.1 ≤ hm/H ≤ 0.3",
     {2.44, 2.08, 1.94, 1.80, 1.75, 1.57, 1.48, 1.36, 1.21, 0.97},
     {M, X, M, M, X, M, M, M, M, M}},
    {KpBand::Above03,
     "hm/H > 0.3",
     {2.13, 1.86, 1.76, 1.65, 1.61, 1.48, 1.39, 1.31, 1.19, 0.99},
     {M, M, M, M, M, M, M, M, M, M}},
}};

// hp/hm against hm/Hm; columns P = 0.1, 1, 2, 5, 10 %. The deep-water row is the quoted one.
// The rows for hm/Hm = 0.1 to 0.5 are not confirmed from a public copy of the code: they are
// the Glukhovsky distribution hp/hm = [−(4/π)(1 + H*/√(2π))·ln P]^((1−H*)/2), H* = hm/Hm,
// rounded to two decimals as the code prints its table. The same expression gives the
// quoted deep-water row (2.97, 2.42, 2.23, 1.95, 1.71) to the last digit.
constexpr std::array<RatioRow, 6> kRatio = {{
    {0.0, {2.97, 2.42, 2.23, 1.95, 1.71}, X},
    {0.1, {2.71, 2.26, 2.10, 1.86, 1.65}, D},
    {0.2, {2.46, 2.09, 1.96, 1.76, 1.59}, D},
    {0.3, {2.23, 1.93, 1.82, 1.66, 1.52}, D},
    {0.4, {2.01, 1.78, 1.69, 1.56, 1.44}, D},
    {0.5, {1.80, 1.63, 1.56, 1.46, 1.37}, D},
}};

// Safety allowance A (m): rows normal, abnormal in mountains and hills, abnormal in plains
// and on the coast; columns grade 1, 2, 3, 4 and 5.
constexpr double kAllowance[3][4] = {
    {1.50, 1.00, 0.70, 0.50},
    {0.70, 0.50, 0.40, 0.30},
    {1.00, 0.70, 0.50, 0.30},
};

// KΔ by the surface of the upstream slope; a range where the table gives one.
constexpr std::array<SlopeSurface, 6> kRoughness = {{
    {"光滑不透水护面（沥青混凝土）", 1.00, 1.00, X},
    {"混凝土板护面", 0.90, 0.90, X},
    {"草皮护面", 0.85, 0.90, X},
    {"砌石护面", 0.75, 0.80, X},
    {"抛填两层块石（不透水基础）", 0.60, 0.65, X},
    {"抛填两层块石（透水基础）", 0.50, 0.55, X},
}};

const TableSource* const kSources[] = {
    &kWindSource, &kAllowanceSource, &kRatioSource,      &kKwSource,    &kR0Source,
    &kKpSource,   &kKbetaSource,     &kEarthquakeSource, &kCrestSource, &kFetchSource};

}  // namespace

std::string_view standingMark(Standing s) noexcept {
    static constexpr Word<Standing> kMarks[] = {{Standing::Confirmed, "[C]"},
                                                {Standing::Corroborated, "[X]"},
                                                {Standing::NotConfirmed, "[M]"},
                                                {Standing::Derived, "[D]"}};
    return wordFor(s, kMarks);
}

const TableSource kKwSource = {
    "Kw",
    "经验系数 Kw（按 W/√(gH) 线性内插）",
    "SL 274 Appendix A, table of Kw against W/sqrt(gH), as quoted by public pages; "
    "corroborated [X]. Linear between points; 1.00 at and below 1, 1.30 at and above 5.",
    "SL 274 附录 A 经验系数 Kw 表，据公开网页转引，间接印证 [X]；点间线性内插，"
    "W/√(gH) ≤ 1 取 1.00，≥ 5 取 1.30。",
};

const TableSource kR0Source = {
    "R0",
    "陡坡爬高 R0（KΔ = 1，hm = 1 m）",
    "SL 274 Appendix A, run-up R0 on a smooth impermeable slope for hm = 1 m, m <= 1.25; "
    "corroborated [X]. Linear between points.",
    "SL 274 附录 A，光滑不透水护面、hm = 1 m 时的爬高值 R0（m ≤ 1.25），间接印证 [X]；"
    "点间线性内插。",
};

const TableSource kKbetaSource = {
    "Kbeta",
    "斜向风爬高折减系数 Kβ",
    "SL 274 Appendix A, run-up factor for oblique wind; commonly quoted, not confirmed [M]. "
    "Linear between points; beyond 60 degrees the 60-degree value is held (with a warning).",
    "SL 274 附录 A 斜向来波爬高折减系数，常见转引，未能核实 [M]；点间线性内插，"
    "β > 60° 时取 60° 之值并给出警告。",
};

const TableSource kKpSource = {
    "Kp",
    "爬高累积频率换算系数 Kp = Rp/Rm",
    "SL 274 Appendix A, Rp/Rm by hm/H band and P. Confirmed or corroborated: 2.66, 2.23, "
    "2.07, 1.84 (hm/H < 0.1) and 2.08, 1.75 (0.1-0.3); the other values commonly quoted, not "
    "confirmed [M]. The band is chosen by hm/H; linear in P between columns.",
    "SL 274 附录 A，按 hm/H 分档、按累积频率 P 查表。已核实或印证：hm/H < 0.1 档 2.66、2.23、"
    "2.07、1.84，0.1～0.3 档 2.08、1.75；其余为常见转引值，未能核实 [M]。按 hm/H 取档，"
    "P 不在表列时在相邻两列间按 P 线性内插。",
};

const TableSource kRatioSource = {
    "hp/hm",
    "不同累积频率波高换算 hp/hm",
    "SL 274 Appendix A, hp/hm against hm/Hm. Deep-water row (hm/Hm -> 0) quoted and "
    "corroborated [X]. Rows 0.1-0.5 not confirmed from a public copy of the code: computed "
    "here from the Glukhovsky distribution the table rests on, rounded to two decimals [D]; "
    "the same expression gives the deep-water row exactly. Linear in hm/Hm between rows; "
    "above 0.5 the last row is held (with a warning).",
    "SL 274 附录 A 不同累积频率波高与平均波高之比 hp/hm（按 hm/Hm）。深水一行（hm/Hm → 0）"
    "据公开资料转引并经印证 [X]；hm/Hm = 0.1～0.5 各行未能从公开资料核实，系本程序按该表所依据的"
    "格鲁霍夫斯基分布 hp/hm = [−(4/π)(1 + H*/√(2π))·ln P]^((1−H*)/2)（H* = hm/Hm）计算并取两位"
    "小数 [D]，同一公式可逐位给出深水一行。行间按 hm/Hm 线性内插；hm/Hm > 0.5 "
    "时取末行之值并给出警告。",
};

const TableSource kAllowanceSource = {
    "A",
    "安全加高 A（m）",
    "SL 274, safety allowance by grade and operation. Grades 4-5 confirmed [C], and grade 2 in "
    "normal operation (1.00) and in abnormal operation in mountains and hills (0.50) from a "
    "national qualification exam's worked solution [C]; the rest commonly quoted, not confirmed "
    "[M].",
    "SL 274 坝顶安全加高表：4、5 级坝之值经核实 [C]；2 级坝正常运用 1.00 m 与山区、丘陵区非常运用 "
    "0.50 m 据注册考试算例核实 [C]；其余为常见转引值，未能核实 [M]。",
};

const TableSource kRoughnessSource = {
    "KΔ",
    "斜坡的糙率及渗透性系数 KΔ",
    "SL 274 Appendix A, roughness and permeability coefficient of the slope surface by "
    "revetment, as quoted by public pages; corroborated [X]. A range where the table gives one.",
    "SL 274 附录 A 斜坡的糙率及渗透性系数 KΔ（按护面类型），据公开网页转引，间接印证 [X]；"
    "表中给出范围者列其上下限。",
};

const TableSource kWindSource = {
    "W",
    "计算风速 W 与多年平均年最大风速之比",
    "SL 274 §5.3.5, design wind speed: in normal operation 1.5 to 2.0 times the multi-year average "
    "annual maximum wind speed for grades 1 and 2 and 1.5 times for grades 3 to 5, in abnormal "
    "operation the annual maximum itself; commonly quoted, not confirmed [M]. The worked "
    "examples found use 1.5 and 1.0, the defaults here; a factor outside 1.0-2.0 is warned of.",
    "SL 274 第 5.3.5 条计算风速：正常运用条件下，1、2 级坝采用多年平均年最大风速的 1.5～2.0 "
    "倍，3～5 级坝"
    "采用 1.5 倍；非常运用条件下采用多年平均年最大风速。常见转引，未能核实 [M]；所见算例均取 "
    "1.5 倍与 1.0 倍，本程序缺省亦取此值，倍数不在 1.0～2.0 之间时给出警告。",
};

const TableSource kEarthquakeSource = {
    "B",
    "地震安全加高 B（m）",
    "SL 274, earthquake condition: the normal storage level with abnormal operation's freeboard "
    "plus the earthquake allowance, seismic surge (0.5-1.5 m by the design intensity and the "
    "depth in front of the dam [C]) and the seismic settlement of dam and foundation (the "
    "engineer's figure, added for intensities VIII and IX [M]).",
    "SL 274 地震情况：正常蓄水位加非常运用条件的坝顶超高，再加地震安全加高，即地震涌浪高度"
    "（按设计烈度和坝前水深取 0.5～1.5 m [C]）与地震附加沉陷（由设计人员确定，设计烈度为 8、9 "
    "度时计入 [M]）之和。",
};

const TableSource kFetchSource = {
    "Fe",
    "等效吹程 Fe（由射线长度推求）",
    "GB 50286-2013 C.1.1 item 3: where the shore is irregular, with islands, a bend or a branch, "
    "the fetch may be the equivalent fetch from radials drawn to the opposite shore within 45 "
    "degrees either side of the wind, every 7.5 degrees (i = 0, +-1 ... +-6), or 15 degrees for "
    "preliminary work [C]; Fe = sum(ri cos^2 ai) / sum(cos ai), the commonly quoted form [M].",
    "GB 50286-2013 附录 C.1.1 第 3 "
    "款：水域岸线不规则、有岛屿、弯道或支汊时，可自计算点向对岸在主风向"
    "两侧各 45° 范围内每隔 Δα = 7.5°（i = 0，±1，…，±6；初步设计可取 15°）作射线，按射线长度求"
    "等效吹程 [C]；Fe = Σrᵢcos²αᵢ / Σcos αᵢ 为常见转引公式 [M]。",
};

const TableSource kDikeSource = {
    "dike",
    "堤防（GB 50286-2013）",
    "GB 50286-2013 appendix C: waves by the Putian formula with T = 4.438 sqrt(H), the wind's "
    "minimum duration g t/V = 168 (g T/V)^3.45 checked above 100 km of fetch, the set-up as the "
    "dam's with d the mean depth of the fetch, the run-up by the gentle form for 1.5 <= m <= 5, "
    "the steep form with R0 for m <= 1.0, interpolated between, both for H/L >= 0.025, of 2 % "
    "where the dike must not be overtopped; Y = R + e + A; the grade by the protected area's "
    "flood standard; a reserve of 3-5 % of the dike's height [C]. The allowance A by grade "
    "(1.0, 0.8, 0.7, 0.6, 0.5 m) and the earth crest 0.5 m above the design level under a wave "
    "wall are commonly quoted, not confirmed [M].",
    "GB 50286-2013 附录 C：波浪要素按莆田公式，T = 4.438√H；吹程大于 100 km 时复核最小风时 "
    "g·t/V = 168·(g·T/V)^3.45；风壅水面高同坝，d 取风区平均水深；爬高 1.5 ≤ m ≤ 5.0 按缓坡公式，"
    "m ≤ 1.0 按陡坡 R0，其间内插，均要求 H/L ≥ 0.025；不允许越浪的堤防取累积频率 2%；"
    "Y = R + e + A；堤防级别按保护对象的防洪标准确定；预留沉降为堤高的 3%～5% [C]。"
    "安全加高 A 按级别取 1.0、0.8、0.7、0.6、0.5 m，设防浪墙时土堤顶高出设计水位 0.5 m，"
    "为常见转引值，未能核实 [M]。",
};

const TableSource kCrestSource = {
    "crest",
    "坝顶高程的确定",
    "SL 274: the crest (or the wave wall's top) is the highest still-water level + y over the "
    "four conditions of §5.3.3 [C]; with a wave wall on the upstream edge of the crest "
    "(§5.3.4) the embankment's crest stays at least 0.5 m above the still-water level in normal "
    "operation and not below it in abnormal operation [C], the wall usually 1.0-1.2 m high [M]; "
    "the settlement still to come is reserved apart from y and from the dam's height [C, SL "
    "274-2020], and enters no check of a dam that stands, which has settled; the adopted value "
    "is the requirement rounded up [C].",
    "SL 274：坝顶（或防浪墙顶）高程取第 5.3.3 条各工况静水位加坝顶超高 y 之最大值 [C]；第 5.3.4 "
    "条："
    "“当坝顶上游侧设有防浪墙时，坝顶超高可改为对防浪墙顶的要求。但此时在正常运用条件下，坝顶应高出"
    "静水位0.5m；在非常运用条件下，坝顶应不低于静水位。” [C]；防浪墙高度一般为 1.0～1.2 m [M]；"
    "竣工坝顶高程另预留沉降，不计入 y，亦不计入坝高 [C，SL 274-2020]，已建坝复核时沉降已完成，"
    "不计预留沉降；采用值为要求值向上取整 [C]。",
};

double defaultWindFactor(Operation operation) noexcept {
    return operation == Operation::Normal ? WindFactors::normal : WindFactors::abnormal;
}

std::span<const TableSource* const> allSources() {
    return kSources;
}

Lookup interpolate(std::span<const TablePoint> table, double x) {
    Lookup out;
    out.x = x;
    if (x <= table.front().x) {
        out.lower = out.upper = table.front();
        out.value = table.front().y;
        out.beyondLow = x < table.front().x;
        return out;
    }
    if (x >= table.back().x) {
        out.lower = out.upper = table.back();
        out.value = table.back().y;
        out.beyondHigh = x > table.back().x;
        return out;
    }
    const auto above = std::upper_bound(table.begin(), table.end(), x,
                                        [](double v, const TablePoint& p) { return v < p.x; });
    const TablePoint& lo = *(above - 1);
    const TablePoint& hi = *above;
    out.lower = lo;
    out.upper = lo.x == x ? lo : hi;
    out.value = lo.x == x ? lo.y : lo.y + (hi.y - lo.y) * (x - lo.x) / (hi.x - lo.x);
    return out;
}

std::span<const TablePoint> kwTable() {
    return kKw;
}
std::span<const TablePoint> r0Table() {
    return kR0;
}
std::span<const TablePoint> kbetaTable() {
    return kKbeta;
}
std::span<const KpRow> kpTable() {
    return kKp;
}
std::span<const RatioRow> ratioTable() {
    return kRatio;
}

Lookup lookUpKw(double windOverCelerity) {
    return interpolate(kKw, windOverCelerity);
}
Lookup lookUpR0(double m) {
    return interpolate(kR0, m);
}
Lookup lookUpKbeta(double betaDegrees) {
    return interpolate(kKbeta, betaDegrees);
}

KpBand kpBand(double hmOverH) noexcept {
    if (hmOverH < 0.1) {
        return KpBand::Below01;
    }
    return hmOverH <= 0.3 ? KpBand::From01To03 : KpBand::Above03;
}

KpLookup lookUpKp(double hmOverH, double P) {
    KpLookup out;
    out.P = P;
    out.row = &kKp[static_cast<std::size_t>(kpBand(hmOverH))];
    const auto& cols = kKpColumns;
    const auto above = std::lower_bound(cols.begin(), cols.end(), P);
    std::size_t right = static_cast<std::size_t>(above - cols.begin());
    if (right >= cols.size()) {
        right = cols.size() - 1;
    }
    std::size_t left = cols[right] == P || right == 0 ? right : right - 1;
    out.left = left;
    out.right = right;
    const auto& kp = out.row->kp;
    out.value = left == right ? kp[left]
                              : kp[left] + (kp[right] - kp[left]) * (P - cols[left]) /
                                               (cols[right] - cols[left]);
    return out;
}

RatioLookup lookUpRatio(double hmOverHm, double P) {
    RatioLookup out;
    out.hmOverHm = hmOverHm;
    out.P = P;
    const auto col = static_cast<std::size_t>(
        std::find(kRatioColumns.begin(), kRatioColumns.end(), P) - kRatioColumns.begin());
    if (hmOverHm >= kRatio.back().hmOverHm) {
        out.lower = out.upper = &kRatio.back();
        out.value = kRatio.back().ratio[col];
        out.beyondHigh = hmOverHm > kRatio.back().hmOverHm;
        return out;
    }
    std::size_t i = 0;
    while (i + 1 < kRatio.size() && kRatio[i + 1].hmOverHm <= hmOverHm) {
        ++i;
    }
    const RatioRow& lo = kRatio[i];
    const RatioRow& hi = kRatio[i + 1];
    out.lower = &lo;
    if (lo.hmOverHm == hmOverHm) {
        out.upper = &lo;
        out.value = lo.ratio[col];
        return out;
    }
    out.upper = &hi;
    out.value = lo.ratio[col] + (hi.ratio[col] - lo.ratio[col]) * (hmOverHm - lo.hmOverHm) /
                                    (hi.hmOverHm - lo.hmOverHm);
    return out;
}

AllowanceLookup lookUpAllowance(int grade, Operation operation, Region region) {
    const int row = operation == Operation::Normal ? 0 : region == Region::Mountain ? 1 : 2;
    const int col = std::min(grade, 4) - 1;
    // Grades 4 and 5 stand confirmed; of grade 2, normal operation and abnormal operation in
    // mountains and hills, from a qualification exam's worked solution.
    const bool confirmed = grade >= 4 || (grade == 2 && row < 2);
    return {kAllowance[row][col], confirmed ? C : M};
}

AllowanceLookup lookUpDikeAllowance(int grade) {
    static constexpr double kDikeAllowance[] = {1.0, 0.8, 0.7, 0.6, 0.5};
    return {kDikeAllowance[std::clamp(grade, 1, 5) - 1], M};
}

std::optional<int> dikeGradeOf(double returnPeriod) {
    // The lower bound of each grade's band of return periods, grade 1 first.
    static constexpr double kFrom[] = {100, 50, 30, 20, 10};
    for (int grade = 1; grade <= 5; ++grade) {
        if (returnPeriod >= kFrom[grade - 1]) {
            return grade;
        }
    }
    return std::nullopt;
}

// The slope surfaces, looked up by the window by name rather than interpolated.
std::span<const SlopeSurface> roughnessTable() {
    return kRoughness;
}

}  // namespace kelnor::design
