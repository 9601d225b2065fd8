// A minimal streaming JSON writer: enough for songdump's one object, nothing more.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace solvena {

class JsonWriter {
public:
    // Containers opened with oneLine = true keep their members on a single line,
    // which keeps long lists (tracks, conductor slots) readable one entry per line.
    void BeginObject(bool oneLine = false);
    void EndObject();
    void BeginArray(bool oneLine = false);
    void EndArray();

    void Key(std::string_view key);
    void Int(std::int64_t value);
    void Bool(bool value);
    void Null();
    void String(std::string_view text);
    // Raw bytes as lowercase hex without separators, written as a JSON string.
    void HexBytes(std::string_view bytes);

    const std::string& Text() const { return out_; }

private:
    struct Level {
        bool oneLine;
        bool empty;
    };

    void BeforeValue();
    void NewLine();
    void Close(char bracket);
    void Quote(std::string_view text);

    std::string out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

}  // namespace solvena
