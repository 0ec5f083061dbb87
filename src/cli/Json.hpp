#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace umbrascope::cli {

// Appends `text` as a JSON string: quotes, backslashes and control characters escaped, and bytes
// that are not UTF-8 replaced by U+FFFD, so the output is always valid UTF-8 JSON.
void appendJsonString(std::string& out, std::string_view text);

// A compact JSON writer into a string: no pretty printing, commas placed by the writer.
// Misnesting is the caller's bug and is not checked.
class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(std::uint64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& value(std::span<const std::string> texts);
    JsonWriter& value(const std::vector<std::string>& texts) { return value(std::span(texts)); }
    JsonWriter& null();

    // One member of the current object.
    template <typename T>
    JsonWriter& member(std::string_view name, const T& v) {
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
