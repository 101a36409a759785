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

Runs& Runs::operator+=(Run run) {
    if (run.text.empty()) {
        return *this;
    }
    const bool plainRun = run.script == Script::Normal && run.emphasis == Emphasis::None;
    if (plainRun && !runs_.empty() && runs_.back().script == Script::Normal &&
        runs_.back().emphasis == Emphasis::None) {
        runs_.back().text += run.text;
    } else {
        runs_.push_back(std::move(run));
    }
    return *this;
}

Runs& Runs::operator+=(const Runs& other) {
    for (const Run& r : other.runs_) {
        *this += r;
    }
    return *this;
}

Runs& Runs::operator+=(Runs&& other) {
    if (runs_.empty()) {
        runs_ = std::move(other.runs_);
        return *this;
    }
    for (Run& r : other.runs_) {
        *this += std::move(r);
    }
    return *this;
}

Runs& Runs::operator+=(std::string_view plain) {
    if (plain.empty()) {
        return *this;
    }
    if (!runs_.empty() && runs_.back().script == Script::Normal &&
        runs_.back().emphasis == Emphasis::None) {
        runs_.back().text += plain;
    } else {
        runs_.push_back(Run{std::string(plain)});
    }
    return *this;
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

Runs operator+(Runs a, Runs&& b) {
    a += std::move(b);
    return a;
}

Runs operator+(Runs a, std::string_view plain) {
    a += plain;
    return a;
}

Runs operator+(Runs a, const std::string& plain) {
    a += std::string_view(plain);
    return a;
}

Runs operator+(Runs a, const char* plain) {
    a += std::string_view(plain);
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
