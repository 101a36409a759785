#include "wording.h"

#include "kelnor/design/wording.h"

namespace kelnor::sheet::words {

std::string summary(std::string_view name, std::string_view y, std::string_view crest) {
    std::string out = "控制工况：";
    out += name;
    out += "，y = ";
    out += y;
    out += " m";
    if (!crest.empty()) {
        out += "，坝顶高程不低于 ";
        out += crest;
        out += " m";
    }
    return out;
}

std::string dikeSummary(std::size_t sections, std::string_view highest, std::string_view crest) {
    std::string out = std::to_string(sections) + " 个断面，要求堤顶最高为 ";
    out += highest;
    out += "：";
    out += crest;
    out += " m";
    return out;
}

std::string shortSections(std::size_t count) {
    return "；" + std::to_string(count) + " 个断面现状堤顶不足";
}

const std::vector<std::string>& resultHeader() {
    static const std::vector<std::string> header = {
        std::string(design::columnZh("case")),
        std::string(design::columnZh("formula")),
        "hm（m）",
        "Lm（m）",
        "e（m）",
        "Rp（m）",
        "A（m）",
        "y（m）",
        std::string(design::columnZh("level")),
        "坝顶高程（m）",
        "控制",
        "说明",
    };
    return header;
}

}  // namespace kelnor::sheet::words
