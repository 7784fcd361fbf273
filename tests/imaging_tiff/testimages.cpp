#include "testimages.h"

#include "imaging/registration.h"

#include <stdexcept>

namespace testimages {

std::string tiffPath(const std::string& name)
{
    return std::string(FENDRIX_TEST_DATA) + "/tiff/" + name;
}

std::string iconPath(const std::string& name)
{
    return std::string(FENDRIX_TEST_DATA) + "/icon/" + name;
}

std::vector<Ifd> readIfds(const std::vector<uint8_t>& file)
{
    if (file.size() < 8)
        throw std::runtime_error("not a TIFF");
    const bool little = file[0] == 'I';
    auto u16 = [&](std::size_t at) {
        return static_cast<uint16_t>(
            little ? file.at(at) | file.at(at + 1) << 8 : file.at(at) << 8 | file.at(at + 1));
    };
    auto u32 = [&](std::size_t at) {
        return little ? uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16
                      : uint32_t(u16(at)) << 16 | u16(at + 2);
    };
    std::vector<Ifd> result;
    uint32_t offset = u32(4);
    while (offset != 0 && result.size() < 1000) {
        Ifd ifd;
        const uint16_t count = u16(offset);
        for (uint16_t i = 0; i < count; ++i) {
            const std::size_t e = offset + 2 + 12u * i;
            IfdEntry entry;
            const uint16_t tag = u16(e);
            entry.type = u16(e + 2);
            entry.count = u32(e + 4);
            const int size = entry.type == 3 ? 2 : entry.type == 4 ? 4 : entry.type == 5 ? 8 : 1;
            const std::size_t total = std::size_t(size) * entry.count;
            const std::size_t data = total <= 4 ? e + 8 : u32(e + 8);
            if (entry.type == 2) {
                for (std::size_t k = 0; k < entry.count && file.at(data + k) != 0; ++k)
                    entry.text += static_cast<char>(file[data + k]);
            } else if (entry.type == 3 || entry.type == 4) {
                for (std::size_t k = 0; k < entry.count; ++k)
                    entry.values.push_back(entry.type == 3 ? u16(data + 2 * k) : u32(data + 4 * k));
            } else if (entry.type == 5) {
                for (std::size_t k = 0; k < entry.count; ++k) {
                    const uint32_t num = u32(data + 8 * k), den = u32(data + 8 * k + 4);
                    entry.values.push_back(den ? num / den : 0);
                }
            }
            ifd[tag] = entry;
        }
        result.push_back(ifd);
        offset = u32(offset + 2 + 12u * count);
    }
    return result;
}

void initialize()
{
    InitializeImaging();
}

} // namespace testimages
