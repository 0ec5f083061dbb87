#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace umbrascope::cli {

// Appends `text` as a JSON string: quotes, backslashes and control characters escaped, and bytes
// that are not UTF-8 replaced by U+FFFD, so the output is always valid UTF-8 JSON.
void appendJSONString(std::string& out, std::string_view text);

// A compact JSON writer into a string: no pretty printing, commas placed by the writer.
// Misnesting is the caller's bug and is not checked.
class JSONWriter {
public:
    explicit JSONWriter(std::string& out) : out_(out) {}

    JSONWriter& beginObject();
    JSONWriter& endObject();
    JSONWriter& beginArray();
    JSONWriter& endArray();
    JSONWriter& key(std::string_view name);

    JSONWriter& value(std::string_view text);
    JSONWriter& value(const char* text) { return value(std::string_view(text)); }
    JSONWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JSONWriter& value(std::int64_t number);
    JSONWriter& value(std::uint64_t number);
    JSONWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JSONWriter& value(bool flag);
    JSONWriter& value(std::span<const std::string> texts);
    JSONWriter& value(const std::vector<std::string>& texts) { return value(std::span(texts)); }
    JSONWriter& null();

    // One member of the current object.
    template <typename T>
    JSONWriter& member(std::string_view name, const T& v) {
        key(name);
        return value(v);
    }

private:
    void separate();

    std::string& out_;
    std::vector<bool> first_; // per open container: no element written yet
    bool afterKey_ = false;
};

} // namespace umbrascope::cli
