#include "cli/Json.hpp"

#include "core/Hex.hpp"
#include "text/UTF8Decoding.hpp"

namespace umbrascope::cli {

void appendJSONString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const UTF8Sequence c = nextUTF8Sequence(text, i);
        if (!c.valid) {
            out += replacementCharacter;
            i += c.length;
            continue;
        }
        switch (c.codePoint) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c.codePoint < 0x20) {
                out += "\\u";
                hex::append(out, c.codePoint, 4, hex::Letters::lower);
            } else {
                out.append(text.substr(i, c.length));
            }
        }
        i += c.length;
    }
    out += '"';
}

void JSONWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ += ',';
        first_.back() = false;
    }
}

JSONWriter& JSONWriter::beginObject() {
    separate();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

JSONWriter& JSONWriter::endObject() {
    out_ += '}';
    first_.pop_back();
    return *this;
}

JSONWriter& JSONWriter::beginArray() {
    separate();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

JSONWriter& JSONWriter::endArray() {
    out_ += ']';
    first_.pop_back();
    return *this;
}

JSONWriter& JSONWriter::key(std::string_view name) {
    separate();
    appendJSONString(out_, name);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JSONWriter& JSONWriter::value(std::string_view text) {
    separate();
    appendJSONString(out_, text);
    return *this;
}

JSONWriter& JSONWriter::value(std::int64_t number) {
    separate();
    out_ += std::to_string(number);
    return *this;
}

JSONWriter& JSONWriter::value(std::uint64_t number) {
    separate();
    out_ += std::to_string(number);
    return *this;
}

JSONWriter& JSONWriter::value(bool flag) {
    separate();
    out_ += flag ? "true" : "false";
    return *this;
}

JSONWriter& JSONWriter::value(std::span<const std::string> texts) {
    beginArray();
    for (const auto& text : texts)
        value(std::string_view(text));
    return endArray();
}

JSONWriter& JSONWriter::null() {
    separate();
    out_ += "null";
    return *this;
}

} // namespace umbrascope::cli
