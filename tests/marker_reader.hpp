// Reads a marker texture file by its structure, independently of the code
// that writes it, so that tests check what the bytes mean.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marker_reader {

struct TaggedRecord {
    std::string tag;  // the eight tag bytes as stored, e.g. "GGATCGVA"
    std::vector<std::uint8_t> data;
};

struct Level {
    std::size_t header_offset;
    unsigned width, height, data_size;
    std::size_t data_offset;
};

struct Texture {
    unsigned format_word = 0;
    std::vector<TaggedRecord> records;
    std::vector<std::uint32_t> level_offsets;  // the "SFFO" record's slots
    unsigned reserved = 0;                     // the u16 between records and levels
    std::vector<Level> levels;
    std::size_t end_marker_offset = 0;
};

// Walks format word, tagged records, reserved field, levels and end marker.
// Returns false with a reason in `error` if the bytes do not follow that
// structure or leave bytes after the end marker.
bool read_texture(const std::vector<std::uint8_t>& bytes, Texture& texture, std::string& error);

// The 16 alpha values of a DXT5 block, in texel order.
std::array<std::uint8_t, 16> dxt5_alphas(const std::uint8_t* block);

}  // namespace marker_reader
