#include "kelnor/design/document.h"

namespace kelnor::design::doc {

namespace {

Runs single(std::string_view plain, Script script, Emphasis emphasis) {
    Runs r;
    if (!plain.empty()) {
        r += Run{std::string(plain), script, emphasis};
    }
    return r;
}

}  // namespace

Runs& Runs::operator+=(const Run& run) {
    if (run.text.empty()) {
        return *this;
    }
    const bool plainRun = run.script == Script::Normal && run.emphasis == Emphasis::None;
    if (plainRun && !runs_.empty() && runs_.back().script == Script::Normal &&
        runs_.back().emphasis == Emphasis::None) {
        runs_.back().text += run.text;
    } else {
        runs_.push_back(run);
    }
    return *this;
}

Runs& Runs::operator+=(const Runs& other) {
    for (const Run& r : other.runs_) {
        *this += r;
    }
    return *this;
}

Runs& Runs::operator+=(std::string_view plain) {
    return *this += Run{std::string(plain)};
}

std::string Runs::plain() const {
    std::string out;
    for (const Run& r : runs_) {
        out += r.text;
    }
    return out;
}

Runs operator+(Runs a, const Runs& b) {
    a += b;
    return a;
}

Runs sup(std::string_view plain) {
    return single(plain, Script::Super, Emphasis::None);
}

Runs sub(std::string_view plain) {
    return single(plain, Script::Sub, Emphasis::None);
}

Runs strong(std::string_view plain) {
    return single(plain, Script::Normal, Emphasis::Strong);
}

Runs marked(std::string_view plain) {
    return single(plain, Script::Normal, Emphasis::Marked);
}

}  // namespace kelnor::design::doc
