// The inputs a harness once failed on, kept in fuzz/regressions/<harness>/.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vessa_fuzz {

inline std::vector<std::vector<uint8_t>> RegressionInputs(const std::string &harness) {
    const auto dir = std::filesystem::path(__FILE__).parent_path() / "regressions" / harness;
    std::vector<std::vector<uint8_t>> inputs;
    if (!std::filesystem::is_directory(dir)) {
        return inputs;
    }
    for (const auto &entry : std::filesystem::directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().filename() != "README") {
            std::ifstream file(entry.path(), std::ios::binary);
            inputs.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
    }
    return inputs;
}

}  // namespace vessa_fuzz
