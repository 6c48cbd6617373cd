// Writes the seed corpus of every harness: DIR/<harness>/seed_NN.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "seed_inputs.h"

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    for (const auto &[harness, seeds] : vessa_fuzz::AllSeeds()) {
        const auto dir = root / harness;
        std::filesystem::create_directories(dir);
        for (size_t i = 0; i < seeds.size(); ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), "seed_%02zu", i);
            std::ofstream file(dir / name, std::ios::binary);
            file.write(reinterpret_cast<const char *>(seeds[i].data()),
                       static_cast<std::streamsize>(seeds[i].size()));
            if (!file) {
                std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
                return 1;
            }
        }
    }
    return 0;
}
