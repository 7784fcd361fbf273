#pragma once
// The fixture files of the picture tests: their bytes, and the binary netpbm pictures (P4, P5,
// P6) that other programs decoded them to.
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace pnm {

inline std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// channels is 1 (P4 bilevel as 0 = black and 255 = white, P5 gray) or 3 (P6); rows top-down.
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> data;
    uint8_t value(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
    uint32_t rgb(int x, int y) const
    {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        if (channels == 1)
            return uint32_t(data[i]) * 0x010101u;
        return uint32_t(data[3 * i]) << 16 | uint32_t(data[3 * i + 1]) << 8 | data[3 * i + 2];
    }
};

inline Pnm readPnm(const std::string& path)
{
    const auto bytes = readFile(path);
    std::size_t pos = 0;
    // Header fields separated by white space, with comment lines ("# ...") between them.
    auto token = [&]() {
        std::string t;
        while (t.empty() && pos < bytes.size()) {
            while (pos < bytes.size() && std::isspace(bytes[pos]))
                ++pos;
            if (pos < bytes.size() && bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
                continue;
            }
            while (pos < bytes.size() && !std::isspace(bytes[pos]))
                t += static_cast<char>(bytes[pos++]);
        }
        return t;
    };
    const std::string magic = token();
    if (magic != "P4" && magic != "P5" && magic != "P6")
        throw std::runtime_error("not a binary netpbm picture: " + path);
    Pnm pnm;
    pnm.width = std::stoi(token());
    pnm.height = std::stoi(token());
    if (magic != "P4" && token() != "255")
        throw std::runtime_error("not 8 bits a sample: " + path);
    ++pos; // the single white-space character before the data
    pnm.channels = magic == "P6" ? 3 : 1;
    const auto n = static_cast<std::size_t>(pnm.width) * pnm.height * pnm.channels;
    if (magic == "P4") {
        const std::size_t stride = (pnm.width + 7) / 8;
        for (int y = 0; y < pnm.height; ++y)
            for (int x = 0; x < pnm.width; ++x) {
                const bool black = (bytes.at(pos + y * stride + x / 8) >> (7 - x % 8)) & 1;
                pnm.data.push_back(black ? 0 : 255);
            }
    } else {
        if (bytes.size() < pos + n)
            throw std::runtime_error("short netpbm picture: " + path);
        pnm.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
            bytes.begin() + static_cast<std::ptrdiff_t>(pos + n));
    }
    return pnm;
}

} // namespace pnm
