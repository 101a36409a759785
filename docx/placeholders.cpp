#include "placeholders.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "kelnor/design/wordml.h"
#include "kelnor/text/text.h"

namespace kelnor::docx::xml {

namespace {

bool isBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameByte(char c, bool first) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':') {
        return true;
    }
    return !first && ((c >= '0' && c <= '9') || c == '-' || c == '.');
}

// A character XML 1.0 allows.
bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The character the reference `&body;` stands for. Raises Malformed.
std::uint32_t referenced(std::string_view body) {
    if (body == "amp") {
        return '&';
    }
    if (body == "lt") {
        return '<';
    }
    if (body == "gt") {
        return '>';
    }
    if (body == "quot") {
        return '"';
    }
    if (body == "apos") {
        return '\'';
    }
    if (body.size() < 2 || body[0] != '#') {
        throw Malformed();
    }
    const bool hex = body[1] == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
        throw Malformed();
    }
    std::uint32_t c = 0;
    for (const char d : digits) {
        int v = -1;
        if (d >= '0' && d <= '9') {
            v = d - '0';
        } else if (hex && d >= 'a' && d <= 'f') {
            v = d - 'a' + 10;
        } else if (hex && d >= 'A' && d <= 'F') {
            v = d - 'A' + 10;
        }
        if (v < 0) {
            throw Malformed();
        }
        c = c * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
    }
    if (!isXmlChar(c)) {
        throw Malformed();
    }
    return c;
}

// Where the reference starting at `amp` ends (after its ';'), checking it. Raises Malformed.
std::size_t referenceEnd(std::string_view text, std::size_t amp) {
    // The longest reference is "&#x10FFFF;" or "&#01114111;" with leading zeros, at most 8
    // digits.
    const std::size_t semi = text.find(';', amp + 1);
    if (semi == std::string_view::npos || semi - amp > 11) {
        throw Malformed();
    }
    referenced(text.substr(amp + 1, semi - amp - 1));
    return semi + 1;
}

void checkReferences(std::string_view text) {
    for (std::size_t at = text.find('&'); at != std::string_view::npos;
         at = text.find('&', referenceEnd(text, at))) {
    }
}

// Past the blanks from `at`.
std::size_t skipBlanks(std::string_view s, std::size_t at) {
    while (at < s.size() && isBlankByte(s[at])) {
        ++at;
    }
    return at;
}

// Past the name at `at`; Malformed where none starts there.
std::size_t nameEnd(std::string_view s, std::size_t at) {
    if (at >= s.size() || !isNameByte(s[at], true)) {
        throw Malformed();
    }
    ++at;
    while (at < s.size() && isNameByte(s[at], false)) {
        ++at;
    }
    return at;
}

// Whether `s` holds a byte XML allows nowhere: a control character but tab, line feed and
// carriage return. Written as it is, such a byte makes Word refuse the whole package.
bool hasControlByte(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && !isBlankByte(c);
    });
}

// Whether `d`, what stands between "<?xml" and "?>", declares version 1.x, then optionally the
// encoding, then optionally whether the part stands alone, and nothing else. The encoding must
// be UTF-8: the part is read as UTF-8 and the values filled in are written so.
bool isSoundDeclaration(std::string_view d) {
    std::size_t at = 0;
    // The value of the pseudo-attribute `name` next, after a blank, moving past it.
    const auto next = [&](std::string_view name) -> std::optional<std::string_view> {
        const std::size_t b = skipBlanks(d, at);
        if (b == at || !d.substr(b).starts_with(name)) {
            return std::nullopt;
        }
        std::size_t q = skipBlanks(d, b + name.size());
        if (q >= d.size() || d[q] != '=') {
            return std::nullopt;
        }
        q = skipBlanks(d, q + 1);
        if (q >= d.size() || (d[q] != '"' && d[q] != '\'')) {
            return std::nullopt;
        }
        const std::size_t close = d.find(d[q], q + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        at = close + 1;
        return d.substr(q + 1, close - q - 1);
    };
    const auto version = next("version");
    if (!version || version->size() < 3 || !version->starts_with("1.") ||
        !std::all_of(version->begin() + 2, version->end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    if (const auto encoding = next("encoding"); encoding && lowerAscii(*encoding) != "utf-8") {
        return false;
    }
    if (const auto standalone = next("standalone");
        standalone && *standalone != "yes" && *standalone != "no") {
        return false;
    }
    return skipBlanks(d, at) == d.size();
}

}  // namespace

Reader::Reader(std::string_view xml) : xml_(xml) {
    // A byte order mark before the declaration, as some writers put it.
    if (xml_.starts_with("\xEF\xBB\xBF")) {
        at_ = 3;
    }
    start_ = at_;
}

bool Reader::next(Token& token) {
    if (at_ >= xml_.size()) {
        if (!open_.empty() || !rootSeen_) {
            throw Malformed();
        }
        return false;
    }
    if (xml_[at_] == '<') {
        token = tag(at_);
    } else {
        const std::size_t end = std::min(xml_.find('<', at_), xml_.size());
        const std::string_view text = xml_.substr(at_, end - at_);
        if (open_.empty()) {
            if (!std::all_of(text.begin(), text.end(), isBlankByte)) {
                throw Malformed();
            }
        } else {
            // "]]>" ends a CDATA section and nothing else.
            if (text.find("]]>") != std::string_view::npos) {
                throw Malformed();
            }
            checkReferences(text);
        }
        token = {Kind::Text, at_, end, {}};
    }
    if (hasControlByte(xml_.substr(token.begin, token.end - token.begin))) {
        throw Malformed();
    }
    at_ = token.end;
    return true;
}

Token Reader::tag(std::size_t from) {
    const std::string_view rest = xml_.substr(from);
    const auto until = [&](std::string_view close, std::size_t skip, Kind kind) {
        const std::size_t end = rest.find(close, skip);
        if (end == std::string_view::npos) {
            throw Malformed();
        }
        return Token{kind, from, from + end + close.size(), {}};
    };
    if (rest.starts_with("<!--")) {
        // "--" only where the comment ends: "<!-- a -- b -->" and "<!-- a --->" are not XML.
        const std::size_t dashes = rest.find("--", 4);
        if (dashes == std::string_view::npos || !rest.substr(dashes).starts_with("-->")) {
            throw Malformed();
        }
        return {Kind::Other, from, from + dashes + 3, {}};
    }
    if (rest.starts_with("<![CDATA[")) {
        if (open_.empty()) {
            throw Malformed();
        }
        return until("]]>", 9, Kind::CData);
    }
    if (rest.starts_with("<?")) {
        // An instruction names its target, then a blank before anything else: "<?>" or
        // "<??>" is not one, and the "?>" ending it comes after the name.
        const std::size_t targetEnd = nameEnd(rest, 2);
        const Token instruction = until("?>", targetEnd, Kind::Other);
        const std::size_t close = instruction.end - from - 2;
        if (close != targetEnd && !isBlankByte(rest[targetEnd])) {
            throw Malformed();
        }
        // "xml" in any case is the declaration's, first in the part and only there.
        const std::string_view target = rest.substr(2, targetEnd - 2);
        if (lowerAscii(target) == "xml" &&
            (target != "xml" || from != start_ ||
             !isSoundDeclaration(rest.substr(targetEnd, close - targetEnd)))) {
            throw Malformed();
        }
        return instruction;
    }
    if (rest.starts_with("<!")) {
        throw Malformed();  // a document type declaration
    }
    if (rest.starts_with("</")) {
        const std::size_t end = nameEnd(rest, 2);
        const std::string_view name = rest.substr(2, end - 2);
        const std::size_t close = skipBlanks(rest, end);
        if (close >= rest.size() || rest[close] != '>' || open_.empty() || open_.back() != name) {
            throw Malformed();
        }
        open_.pop_back();
        return {Kind::End, from, from + close + 1, name};
    }
    std::size_t at = nameEnd(rest, 1);
    const std::string_view name = rest.substr(1, at - 1);
    if (open_.empty() && rootSeen_) {
        throw Malformed();  // a second root
    }
    std::vector<std::string_view> attributes;
    while (true) {
        const std::size_t blank = at;
        at = skipBlanks(rest, at);
        if (at >= rest.size()) {
            throw Malformed();
        }
        if (rest[at] == '>' || rest.substr(at).starts_with("/>")) {
            const bool empty = rest[at] == '/';
            rootSeen_ = true;
            if (!empty) {
                open_.push_back(name);
            }
            return {empty ? Kind::Empty : Kind::Start, from, from + at + (empty ? 2 : 1), name};
        }
        // An attribute, after a blank: name="value" or name='value'.
        if (at == blank) {
            throw Malformed();
        }
        const std::size_t attributeEnd = nameEnd(rest, at);
        const std::string_view attributeName = rest.substr(at, attributeEnd - at);
        if (std::find(attributes.begin(), attributes.end(), attributeName) != attributes.end()) {
            throw Malformed();  // an attribute twice
        }
        attributes.push_back(attributeName);
        at = skipBlanks(rest, attributeEnd);
        if (at >= rest.size() || rest[at] != '=') {
            throw Malformed();
        }
        at = skipBlanks(rest, at + 1);
        if (at >= rest.size() || (rest[at] != '"' && rest[at] != '\'')) {
            throw Malformed();
        }
        const std::size_t close = rest.find(rest[at], at + 1);
        if (close == std::string_view::npos) {
            throw Malformed();
        }
        const std::string_view value = rest.substr(at + 1, close - at - 1);
        if (value.find('<') != std::string_view::npos) {
            throw Malformed();
        }
        checkReferences(value);
        at = close + 1;
    }
}

std::optional<std::string_view> attribute(std::string_view tag, std::string_view name) {
    std::size_t at = 1;
    while (at < tag.size() && !isBlankByte(tag[at]) && tag[at] != '>' && tag[at] != '/') {
        ++at;
    }
    while (true) {
        at = skipBlanks(tag, at);
        if (at >= tag.size() || tag[at] == '>' || tag[at] == '/') {
            return std::nullopt;
        }
        const std::size_t nameStart = at;
        while (at < tag.size() && tag[at] != '=' && !isBlankByte(tag[at])) {
            ++at;
        }
        const std::string_view attributeName = tag.substr(nameStart, at - nameStart);
        at = skipBlanks(tag, at);
        if (at >= tag.size() || tag[at] != '=') {
            return std::nullopt;
        }
        at = skipBlanks(tag, at + 1);
        if (at >= tag.size()) {
            return std::nullopt;
        }
        const std::size_t close = tag.find(tag[at], at + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        if (attributeName == name) {
            return tag.substr(at + 1, close - at - 1);
        }
        at = close + 1;
    }
}

std::string decode(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    std::size_t at = 0;
    for (std::size_t amp = raw.find('&'); amp != std::string_view::npos; amp = raw.find('&', at)) {
        out.append(raw, at, amp - at);
        at = referenceEnd(raw, amp);
        appendUtf8(out, referenced(raw.substr(amp + 1, at - amp - 2)));
    }
    out.append(raw, at);
    return out;
}

std::string attributeText(std::string_view tag, std::string_view name) {
    const auto raw = attribute(tag, name);
    return raw ? decode(*raw) : std::string();
}

}  // namespace kelnor::docx::xml

namespace kelnor::docx {

namespace {

// A w:t element: the text of a run.
struct TextNode {
    std::size_t tagBegin = 0;      // its start tag
    std::size_t contentBegin = 0;  // its content, up to the end tag
    std::size_t contentEnd = 0;
    std::string text;      // the content, decoded
    bool opaque = false;   // holds an element: not text as Word writes it, left alone
    bool changed = false;  // `text` is the content to write
};

struct Hit {
    std::size_t begin = 0;  // the placeholder in the paragraph's text, braces and all
    std::size_t end = 0;
    const std::string* value = nullptr;
};

class Filler {
  public:
    Filler(const std::vector<Field>& fields, std::vector<std::string>& unknown)
        : unknown_(unknown), reported_(unknown.begin(), unknown.end()) {
        for (const Field& f : fields) {
            for (const std::string& n : f.names) {
                byName_.emplace(lowerAscii(trimBlanks(n)), &f.value);
            }
        }
    }

    // Fills the paragraph whose text is that of `members` (indices into `nodes`) in order.
    void paragraph(const std::vector<std::size_t>& members, std::vector<TextNode>& nodes) {
        std::string all;
        std::vector<std::size_t> starts;
        starts.reserve(members.size());
        for (const std::size_t k : members) {
            starts.push_back(all.size());
            all += nodes[k].text;
        }
        const std::vector<Hit> hits = find(all);
        std::size_t h = 0;
        for (std::size_t m = 0; m < members.size() && h < hits.size(); ++m) {
            TextNode& node = nodes[members[m]];
            const std::size_t begin = starts[m];
            const std::size_t end = begin + node.text.size();
            std::string out;
            bool touched = false;
            std::size_t kept = begin;
            for (std::size_t j = h; j < hits.size() && hits[j].begin < end; ++j) {
                const Hit& hit = hits[j];
                const std::size_t cutBegin = std::max(hit.begin, begin);
                const std::size_t cutEnd = std::min(hit.end, end);
                if (cutEnd <= cutBegin) {
                    continue;
                }
                touched = true;
                out.append(all, kept, cutBegin - kept);
                if (hit.begin >= begin) {
                    out += *hit.value;
                }
                kept = cutEnd;
            }
            while (h < hits.size() && hits[h].end <= end) {
                ++h;
            }
            if (touched) {
                out.append(all, kept, end - kept);
                node.text = std::move(out);
                node.changed = true;
            }
        }
    }

  private:
    // The placeholders in a paragraph's text that a field fills, in order; those none fills are
    // reported. A placeholder is "{{", a name without braces, "}}": in "{{{a}}}" it is "{{a}}".
    std::vector<Hit> find(std::string_view all) {
        std::vector<Hit> hits;
        std::size_t at = 0;
        while (true) {
            std::size_t open = all.find("{{", at);
            if (open == std::string_view::npos) {
                break;
            }
            std::size_t inner = open + 2;
            while (inner < all.size() && all[inner] == '{') {
                ++inner;
            }
            open = inner - 2;
            const std::size_t close = all.find_first_of("{}", inner);
            if (close == std::string_view::npos) {
                break;
            }
            if (all[close] == '{' || close + 1 == all.size() || all[close + 1] != '}') {
                at = all[close] == '{' ? close : close + 1;
                continue;
            }
            at = close + 2;
            const std::string_view name = trimBlanks(all.substr(inner, close - inner));
            if (name.empty()) {
                continue;
            }
            const auto field = byName_.find(lowerAscii(name));
            if (field != byName_.end()) {
                hits.push_back({open, close + 2, field->second});
            } else {
                report(all.substr(open, close + 2 - open));
            }
        }
        return hits;
    }

    void report(std::string_view written) {
        if (reported_.emplace(written).second) {
            unknown_.emplace_back(written);
        }
    }

    std::unordered_map<std::string, const std::string*> byName_;
    std::vector<std::string>& unknown_;
    std::unordered_set<std::string> reported_;
};

}  // namespace

std::string fillPlaceholders(std::string_view partXml, const std::vector<Field>& fields,
                             std::vector<std::string>& unknown) {
    Filler filler(fields, unknown);
    std::vector<TextNode> nodes;
    // The text nodes of each paragraph open, the innermost last: a text box's paragraphs stand
    // inside a run of the paragraph that holds the box.
    std::vector<std::vector<std::size_t>> paragraphs;
    bool inText = false;
    std::size_t textDepth = 0;
    xml::Reader reader(partXml);
    xml::Token t;
    while (reader.next(t)) {
        const std::string_view raw = partXml.substr(t.begin, t.end - t.begin);
        switch (t.kind) {
            case xml::Kind::Start:
                if (inText) {
                    nodes.back().opaque = true;
                } else if (t.name == "w:p") {
                    paragraphs.emplace_back();
                } else if (t.name == "w:t") {
                    nodes.push_back({t.begin, t.end, t.end, {}, false, false});
                    inText = true;
                    textDepth = reader.depth();
                }
                break;
            case xml::Kind::Empty:
                if (inText) {
                    nodes.back().opaque = true;
                }
                break;
            case xml::Kind::End:
                if (inText) {
                    if (reader.depth() + 1 == textDepth) {
                        inText = false;
                        nodes.back().contentEnd = t.begin;
                        if (!nodes.back().opaque && !paragraphs.empty()) {
                            paragraphs.back().push_back(nodes.size() - 1);
                        }
                    }
                } else if (t.name == "w:p" && !paragraphs.empty()) {
                    filler.paragraph(paragraphs.back(), nodes);
                    for (const std::size_t k : paragraphs.back()) {
                        if (!nodes[k].changed) {
                            std::string().swap(nodes[k].text);
                        }
                    }
                    paragraphs.pop_back();
                }
                break;
            case xml::Kind::Text:
                if (inText) {
                    nodes.back().text += xml::decode(raw);
                }
                break;
            case xml::Kind::CData:
                if (inText) {
                    nodes.back().text += raw.substr(9, raw.size() - 12);
                }
                break;
            case xml::Kind::Other:
                break;
        }
    }
    std::string out;
    out.reserve(partXml.size() + partXml.size() / 8);
    std::size_t kept = 0;
    for (const TextNode& node : nodes) {
        if (node.changed) {
            out.append(partXml, kept, node.tagBegin - kept);
            out += "<w:t xml:space=\"preserve\">";
            out += design::wordml::xmlText(node.text);
            kept = node.contentEnd;
        }
    }
    out.append(partXml, kept);
    return out;
}

}  // namespace kelnor::docx
