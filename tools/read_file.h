// Reading a whole input file, for the tools' commands.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

// Reads every byte of the file at path into contents (a std::string or a std::vector of bytes);
// false when the file cannot be opened or a read fails.
template <typename Bytes>
bool readFile(const std::string& path, Bytes& contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}
