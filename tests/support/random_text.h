// SPDX-License-Identifier: GPL-3.0-or-later
// Deterministic bad input for the text readers: cuts of a valid file, and runs
// of the format's own tokens mixed with random bytes, up to 200,000 bytes.
#pragma once

#include <random>
#include <string>
#include <vector>

inline std::vector<std::string> RandomTextInputs(const std::string& valid, const std::vector<std::string>& pieces,
                                                 unsigned seed, int rounds = 400)
{
    std::mt19937 random(seed);
    std::vector<std::string> inputs;
    for (int round = 0; round < rounds; ++round) {
        std::string input;
        const std::size_t size = round % 50 == 0 ? 200000 : random() % 2000;
        if (round % 3 == 0) {
            input = valid.substr(0, random() % valid.size());
        } else {
            while (input.size() < size) {
                if (random() % 4 == 0) input += static_cast<char>(random() % 256);
                else input += pieces[random() % pieces.size()];
            }
        }
        inputs.push_back(std::move(input));
    }
    return inputs;
}
