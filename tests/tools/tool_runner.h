// Runs the built tarvex-tool and reads its JSON output.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

// A parsed JSON value: enough of JSON for the tool's output.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t index) const;
    double num() const { return number; }
    int integer() const { return static_cast<int>(number); }
    float single() const { return static_cast<float>(number); }
};

// Parses one JSON text; on malformed input returns false.
bool parseJson(const std::string& text, Json& out);

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<Json> lines;  // stdout parsed line by line (lines that parse)
};

ToolRun runTool(const std::vector<std::string>& args);
std::string writeFile(const std::string& name, const std::string& text);
