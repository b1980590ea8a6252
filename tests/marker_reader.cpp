#include "marker_reader.hpp"

#include <algorithm>

namespace marker_reader {
namespace {

// Little-endian reads with bounds checks; any overrun marks the cursor failed.
struct Cursor {
    const std::vector<std::uint8_t>& bytes;
    std::size_t at = 0;
    bool overrun = false;

    std::uint32_t number(int width)
    {
        if (at + width > bytes.size()) {
            overrun = true;
            at = bytes.size();
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
        at += width;
        return value;
    }
    std::vector<std::uint8_t> take(std::size_t count)
    {
        if (at + count > bytes.size()) {
            overrun = true;
            at = bytes.size();
            return {};
        }
        std::vector<std::uint8_t> out(bytes.begin() + at, bytes.begin() + at + count);
        at += count;
        return out;
    }
    bool next_is(const char* text) const
    {
        const std::string s(text);
        return at + s.size() <= bytes.size() && std::equal(s.begin(), s.end(), bytes.begin() + at);
    }
};

}  // namespace

bool read_texture(const std::vector<std::uint8_t>& bytes, Texture& texture, std::string& error)
{
    Cursor in{bytes};
    texture = Texture{};
    texture.format_word = in.number(2);

    while (in.next_is("GGAT")) {
        const std::vector<std::uint8_t> tag = in.take(8);
        const std::uint32_t length = in.number(4);
        TaggedRecord record{std::string(tag.begin(), tag.end()), in.take(length)};
        if (record.tag == "GGATSFFO") {
            Cursor slots{record.data};
            while (slots.at < record.data.size()) texture.level_offsets.push_back(slots.number(4));
        }
        texture.records.push_back(record);
    }
    texture.reserved = in.number(2);

    for (;;) {
        Level level{};
        level.header_offset = in.at;
        level.width = in.number(2);
        level.height = in.number(2);
        if (level.width == 0 && level.height == 0) break;
        level.data_size = in.number(3);
        level.data_offset = in.at;
        in.take(level.data_size);
        if (in.overrun) break;
        texture.levels.push_back(level);
    }
    texture.end_marker_offset = in.at - 4;
    const std::vector<std::uint8_t> end_rest = in.take(2);

    if (in.overrun) {
        error = "file ends inside its structure";
        return false;
    }
    if (end_rest != std::vector<std::uint8_t>{0, 0}) {
        error = "end marker is not six zero bytes";
        return false;
    }
    if (in.at != bytes.size()) {
        error = std::to_string(bytes.size() - in.at) + " bytes after the end marker";
        return false;
    }
    return true;
}

std::array<std::uint8_t, 16> dxt5_alphas(const std::uint8_t* block)
{
    const unsigned a0 = block[0], a1 = block[1];
    std::array<unsigned, 8> palette{a0, a1};
    if (a0 > a1) {
        for (unsigned i = 1; i <= 6; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (unsigned i = 1; i <= 4; ++i) palette[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    std::uint64_t indices = 0;
    for (int i = 0; i < 6; ++i) indices |= std::uint64_t{block[2 + i]} << (8 * i);

    std::array<std::uint8_t, 16> alphas{};
    for (int texel = 0; texel < 16; ++texel)
        alphas[texel] = static_cast<std::uint8_t>(palette[(indices >> (3 * texel)) & 7]);
    return alphas;
}

}  // namespace marker_reader
