#include "tests/tools/tool_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string readAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string quote(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

// Tests run in parallel processes: each keeps its own files.
std::string tempPath(const std::string& name) {
    return testing::TempDir() + "/tool_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

bool parseJson(const std::string& text, Json& out) {
    out = Json::parse(text, nullptr, false);
    return !out.is_discarded();
}

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = tempPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

ToolRun runTool(const std::vector<std::string>& args) {
    const std::string outPath = tempPath("out.txt");
    const std::string errPath = tempPath("err.txt");
    // A tool that hangs fails its test instead of holding up the whole run.
    std::string command = "timeout 60 " + quote(TARVEX_TOOL_PATH);
    for (const std::string& arg : args) command += " " + quote(arg);
    command += " >" + quote(outPath) + " 2>" + quote(errPath);
    ToolRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readAll(outPath);
    run.err = readAll(errPath);
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        Json value;
        if (parseJson(line, value)) run.lines.push_back(std::move(value));
    }
    return run;
}
