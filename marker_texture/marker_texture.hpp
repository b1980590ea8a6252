// The marker texture: a complete, minimal DXT5 texture of two fully
// transparent mipmap levels (128x8 and 64x4) whose smaller level carries a
// signature record instead of pixels. Every marker is the same 1428 bytes
// except for the identifier inside that record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace marker_texture {

// Whole file; the template is written in one piece.
inline constexpr std::size_t template_size = 1428;

// Level headers, as stored in the level offsets record.
inline constexpr std::uint32_t level0_header_offset = 128;
inline constexpr std::uint32_t level1_header_offset = 1159;
inline constexpr std::size_t level_header_size = 7;  // u16 width, u16 height, u24 size

// The signature record replaces level 1's pixel data, exactly.
inline constexpr std::size_t signature_offset = level1_header_offset + level_header_size;
inline constexpr std::size_t signature_record_size = 256;

// The record: magic, its zero byte, then the identifier field.
inline constexpr char signature_magic[] = "QELMLIB_MAGIC";
inline constexpr std::size_t identifier_field_offset = sizeof signature_magic;  // 14
// The identifier's terminating zero byte must stay inside the record.
inline constexpr std::size_t max_identifier_length =
    signature_record_size - identifier_field_offset - 1;  // 241

static_assert(signature_offset == 1166);
static_assert(max_identifier_length == 241);

using TemplateImage = std::array<std::uint8_t, template_size>;
using SignatureRecord = std::array<std::uint8_t, signature_record_size>;

// The constant texture template, built at compile time; read-only data.
extern const TemplateImage texture_template;

// Fills `record` with the magic and the first `length` bytes of `identifier`,
// copied unchanged, and zeroes the rest. Callers refuse identifiers longer
// than max_identifier_length; a longer `length` is cut there all the same, so
// the record can never overflow.
void build_signature_record(SignatureRecord& record, const char* identifier,
                            std::size_t length);

}  // namespace marker_texture
