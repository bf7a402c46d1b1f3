// Runs the built tarvex-tool and reads its JSON output.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

using Json = nlohmann::json;

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
