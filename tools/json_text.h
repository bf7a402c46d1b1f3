// The tools' one JSON writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Objects keep their keys in the order they were written. Floating-point values are single
// precision and print in the shortest form that reads back as the same float; JSON has no
// infinities or NaN, so those print as null.
using ToolJson = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                      std::int64_t, std::uint64_t, float>;

// Bytes as JSON text, which must be UTF-8: valid UTF-8 passes unchanged and every other byte is
// read as Latin-1 (the character set of old module names), so a lone 0xE9 becomes U+00E9.
std::string utf8Text(const std::string& bytes);

// value as one JSON document and a newline: on one line, or indented by indent spaces.
std::string jsonDocument(const ToolJson& value, int indent = -1);
