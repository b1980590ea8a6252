// The 1428-byte texture template, assembled by the compiler from the
// format's parts. All numbers are little-endian.
#include "marker_texture/marker_texture.hpp"

namespace marker_texture {
namespace {

// Identifies this texture format; the first two bytes of every file.
constexpr std::uint16_t format_word = 0xFF05;

// A DXT5 block whose 16 texels all have alpha 0: both alpha endpoints 0,
// every 3-bit alpha index 0. Its colour half (endpoints 0x07FF and 0x07DE,
// every 2-bit index 2) is invisible under that alpha.
constexpr std::array<std::uint8_t, 16> filler_block = {
    0x00, 0x00,                          // alpha endpoints 0 and 0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 16 alpha indices, all 0
    0xFF, 0x07,                          // colour endpoint 0, RGB565 0x07FF
    0xDE, 0x07,                          // colour endpoint 1, RGB565 0x07DE
    0xAA, 0xAA, 0xAA, 0xAA,              // 16 colour indices, all 2
};

constexpr std::size_t level_offset_slots = 16;
constexpr std::size_t end_marker_size = 6;  // width 0, height 0, two zero bytes

// Appends little-endian fields to the image; a field past the end of the
// image is an out-of-bounds write and stops compilation.
struct ImageWriter {
    TemplateImage bytes{};
    std::size_t at = 0;

    constexpr void u8(std::uint32_t value) { bytes[at++] = static_cast<std::uint8_t>(value & 0xFF); }
    constexpr void u16(std::uint32_t value) { u8(value); u8(value >> 8); }
    constexpr void u24(std::uint32_t value) { u16(value); u8(value >> 16); }
    constexpr void u32(std::uint32_t value) { u16(value); u16(value >> 16); }
    constexpr void zeros(std::size_t count) { while (count-- > 0) u8(0); }

    // A four-character code, stored last character first.
    constexpr void fourcc(const char (&code)[5]) { for (int i = 3; i >= 0; --i) u8(static_cast<std::uint8_t>(code[i])); }

    // Tagged record head: tag "TAGG" + name, then the data length.
    constexpr void record_head(const char (&name)[5], std::uint32_t data_length)
    {
        fourcc("TAGG");
        fourcc(name);
        u32(data_length);
    }

    // Level header, then pixel data of filler blocks (16 bytes per 4x4 texels).
    constexpr void level(std::uint16_t width, std::uint16_t height)
    {
        const std::uint32_t data_size = std::uint32_t{width} * height;
        u16(width);
        u16(height);
        u24(data_size);
        for (std::uint32_t block = 0; block < data_size / filler_block.size(); ++block)
            for (std::uint8_t byte : filler_block) u8(byte);
    }
};

// The image and where its parts landed, for the checks below.
struct Assembled {
    TemplateImage image;
    std::size_t level0_header_at, level1_header_at, level1_data_at, end_marker_at, end_at;
};

constexpr Assembled assemble()
{
    ImageWriter w;
    Assembled a{};
    w.u16(format_word);

    //            name    length  data
    w.record_head("AVGC", 4);     w.u32(0x00000000);
    w.record_head("MAXC", 4);     w.u32(0xFFFFFFFF);
    w.record_head("FLAG", 4);     w.u32(1);
    w.record_head("OFFS", level_offset_slots * 4);
    w.u32(level0_header_offset);  // slot 0
    w.u32(level1_header_offset);  // slot 1
    w.zeros((level_offset_slots - 2) * 4);  // absent levels
    w.u16(0);                     // reserved

    //                              width height
    a.level0_header_at = w.at;  w.level(128,  8);
    a.level1_header_at = w.at;  w.level( 64,  4);
    a.level1_data_at = a.level1_header_at + level_header_size;

    a.end_marker_at = w.at;
    w.zeros(end_marker_size);
    a.end_at = w.at;
    a.image = w.bytes;
    return a;
}

constexpr Assembled assembled = assemble();
static_assert(assembled.level0_header_at == level0_header_offset);
static_assert(assembled.level1_header_at == level1_header_offset);
static_assert(assembled.level1_data_at == signature_offset);
static_assert(assembled.level1_data_at + signature_record_size == assembled.end_marker_at);
static_assert(assembled.end_at == template_size);

}  // namespace

extern constexpr TemplateImage texture_template = assembled.image;

}  // namespace marker_texture
