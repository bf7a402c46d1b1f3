#include "tests/tools/tool_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}
    bool parse(Json& out) {
        if (!value(out)) return false;
        space();
        return p_ == s_.size();
    }

private:
    void space() {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\n' || s_[p_] == '\t' || s_[p_] == '\r')) ++p_;
    }
    bool literal(const char* word) {
        const std::string w(word);
        if (s_.compare(p_, w.size(), w) != 0) return false;
        p_ += w.size();
        return true;
    }
    bool string(std::string& out) {
        if (p_ >= s_.size() || s_[p_] != '"') return false;
        ++p_;
        while (p_ < s_.size() && s_[p_] != '"') {
            if (s_[p_] == '\\') {
                if (++p_ >= s_.size()) return false;
                if (s_[p_] == 'u') {
                    if (p_ + 4 >= s_.size()) return false;
                    out += static_cast<char>(std::strtol(s_.substr(p_ + 1, 4).c_str(), nullptr, 16));
                    p_ += 5;
                    continue;
                }
            }
            out += s_[p_++];
        }
        if (p_ >= s_.size()) return false;
        ++p_;
        return true;
    }
    bool value(Json& out) {
        space();
        if (p_ >= s_.size()) return false;
        const char c = s_[p_];
        if (c == '{') {
            out.kind = Json::Object;
            ++p_;
            space();
            if (p_ < s_.size() && s_[p_] == '}') return ++p_, true;
            for (;;) {
                space();
                std::string key;
                if (!string(key)) return false;
                space();
                if (p_ >= s_.size() || s_[p_++] != ':') return false;
                if (!value(out.fields[key])) return false;
                space();
                if (p_ < s_.size() && s_[p_] == ',') { ++p_; continue; }
                if (p_ < s_.size() && s_[p_] == '}') return ++p_, true;
                return false;
            }
        }
        if (c == '[') {
            out.kind = Json::Array;
            ++p_;
            space();
            if (p_ < s_.size() && s_[p_] == ']') return ++p_, true;
            for (;;) {
                out.items.emplace_back();
                if (!value(out.items.back())) return false;
                space();
                if (p_ < s_.size() && s_[p_] == ',') { ++p_; continue; }
                if (p_ < s_.size() && s_[p_] == ']') return ++p_, true;
                return false;
            }
        }
        if (c == '"') {
            out.kind = Json::String;
            return string(out.text);
        }
        if (literal("true")) { out.kind = Json::Bool; out.boolean = true; return true; }
        if (literal("false")) { out.kind = Json::Bool; return true; }
        if (literal("null")) { out.kind = Json::Null; return true; }
        char* end = nullptr;
        out.number = std::strtod(s_.c_str() + p_, &end);
        if (end == s_.c_str() + p_) return false;
        out.kind = Json::Number;
        p_ = end - s_.c_str();
        return true;
    }

    const std::string& s_;
    size_t p_ = 0;
};

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

const Json& Json::operator[](const std::string& key) const {
    static const Json none;
    auto found = fields.find(key);
    return found == fields.end() ? none : found->second;
}

const Json& Json::operator[](size_t index) const {
    static const Json none;
    return index < items.size() ? items[index] : none;
}

bool parseJson(const std::string& text, Json& out) { return Parser(text).parse(out); }

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
