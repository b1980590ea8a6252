// The template and the signature record, checked by what their bytes mean.
#include "marker_reader.hpp"
#include "marker_texture/marker_texture.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mt = marker_texture;
using marker_reader::Texture;

namespace {

const std::vector<std::uint8_t> filler_block = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xFF, 0x07, 0xDE, 0x07, 0xAA, 0xAA, 0xAA, 0xAA};

std::vector<std::uint8_t> template_bytes()
{
    return {mt::texture_template.begin(), mt::texture_template.end()};
}

Texture read_template()
{
    Texture texture;
    std::string error;
    EXPECT_TRUE(marker_reader::read_texture(template_bytes(), texture, error)) << error;
    return texture;
}

std::vector<std::uint8_t> u32(std::uint32_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

}  // namespace

TEST(TextureTemplate, HeaderHoldsFormatWordAndTaggedRecordsInOrder)
{
    ASSERT_EQ(mt::texture_template.size(), 1428u);
    EXPECT_EQ(mt::texture_template[0], 0x05);
    EXPECT_EQ(mt::texture_template[1], 0xFF);

    const Texture texture = read_template();
    EXPECT_EQ(texture.format_word, 0xFF05u);
    ASSERT_EQ(texture.records.size(), 4u);
    EXPECT_EQ(texture.records[0].tag, "GGATCGVA");
    EXPECT_EQ(texture.records[0].data, u32(0));
    EXPECT_EQ(texture.records[1].tag, "GGATCXAM");
    EXPECT_EQ(texture.records[1].data, u32(0xFFFFFFFF));
    EXPECT_EQ(texture.records[2].tag, "GGATGALF");
    EXPECT_EQ(texture.records[2].data, u32(1));
    EXPECT_EQ(texture.records[3].tag, "GGATSFFO");
    EXPECT_EQ(texture.records[3].data.size(), 64u);
    EXPECT_EQ(texture.reserved, 0u);
}

TEST(TextureTemplate, LevelOffsetsPointAtTwoLevelHeaders)
{
    const Texture texture = read_template();
    ASSERT_EQ(texture.levels.size(), 2u);
    EXPECT_EQ(texture.levels[0].header_offset, 128u);
    EXPECT_EQ(texture.levels[1].header_offset, 1159u);

    std::vector<std::uint32_t> expected_slots(16, 0);
    expected_slots[0] = static_cast<std::uint32_t>(texture.levels[0].header_offset);
    expected_slots[1] = static_cast<std::uint32_t>(texture.levels[1].header_offset);
    EXPECT_EQ(texture.level_offsets, expected_slots);
    EXPECT_EQ(mt::level0_header_offset, 128u);
    EXPECT_EQ(mt::level1_header_offset, 1159u);
}

TEST(TextureTemplate, LevelsAre128x8And64x4OfOneBlockPer4x4Texels)
{
    const Texture texture = read_template();
    ASSERT_EQ(texture.levels.size(), 2u);
    const unsigned sizes[2][2] = {{128, 8}, {64, 4}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texture.levels[i].width, sizes[i][0]);
        EXPECT_EQ(texture.levels[i].height, sizes[i][1]);
        EXPECT_EQ(texture.levels[i].data_size, sizes[i][0] / 4 * (sizes[i][1] / 4) * 16);
    }
    // The signature record goes exactly over level 1's pixel data, up to the end marker.
    EXPECT_EQ(texture.levels[1].data_offset, mt::signature_offset);
    EXPECT_EQ(texture.levels[1].data_size, mt::signature_record_size);
    EXPECT_EQ(texture.end_marker_offset, 1422u);
}

TEST(TextureTemplate, BothLevelsAreFillerBlocksOfTransparentTexels)
{
    const Texture texture = read_template();
    ASSERT_EQ(texture.levels.size(), 2u);
    for (const marker_reader::Level& level : texture.levels) {
        for (std::size_t at = level.data_offset; at < level.data_offset + level.data_size; at += 16) {
            SCOPED_TRACE(at);
            const std::uint8_t* block = &mt::texture_template[at];
            ASSERT_EQ(std::vector<std::uint8_t>(block, block + 16), filler_block);
            for (std::uint8_t alpha : marker_reader::dxt5_alphas(block)) ASSERT_EQ(alpha, 0);
        }
    }
}

// The reader must itself catch damage, or the tests above prove nothing.
TEST(MarkerReader, RejectsDamagedStructure)
{
    struct Case {
        const char* name;
        void (*damage)(std::vector<std::uint8_t>&);
    };
    const Case cases[] = {
        {"truncated", [](std::vector<std::uint8_t>& b) { b.resize(1427); }},
        {"byte appended", [](std::vector<std::uint8_t>& b) { b.push_back(0); }},
        {"end marker nonzero", [](std::vector<std::uint8_t>& b) { b[1427] = 1; }},
        {"level 1 size off", [](std::vector<std::uint8_t>& b) { b[1164] = 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = template_bytes();
        c.damage(bytes);
        Texture texture;
        std::string error;
        EXPECT_FALSE(marker_reader::read_texture(bytes, texture, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(MarkerReader, DecodesDxt5AlphaPalettes)
{
    // Eight-value palette (a0 > a1): index 1 is a1, index 2 is 6/7 a0 + 1/7 a1.
    const std::uint8_t eight[16] = {210, 70, 0b01'010'000, 0, 0, 0, 0, 0};
    const auto a = marker_reader::dxt5_alphas(eight);
    EXPECT_EQ(a[0], 210);
    EXPECT_EQ(a[1], 190);
    EXPECT_EQ(a[2], 70);
    // Six-value palette (a0 <= a1): indices 6 and 7 are 0 and 255.
    const std::uint8_t six[16] = {10, 20, 0b11'110'000, 0b1, 0, 0, 0, 0};
    const auto b = marker_reader::dxt5_alphas(six);
    EXPECT_EQ(b[0], 10);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 255);
    EXPECT_EQ(b[3], 10);
}

struct RecordCase {
    const char* name;
    std::string identifier;
};

void PrintTo(const RecordCase& c, std::ostream* os)
{
    *os << c.name;
}

class SignatureRecord : public testing::TestWithParam<RecordCase> {};

TEST_P(SignatureRecord, HoldsMagicThenIdentifierUnchangedThenZeros)
{
    const std::string& id = GetParam().identifier;
    mt::SignatureRecord record;
    record.fill(0xEE);  // whatever was there before must not show through
    mt::build_signature_record(record, id.c_str(), id.size());

    const std::string magic = "QELMLIB_MAGIC";
    EXPECT_EQ(std::string(record.begin(), record.begin() + 13), magic);
    EXPECT_EQ(record[13], 0);
    EXPECT_EQ(std::string(record.begin() + 14, record.begin() + 14 + id.size()), id);
    for (std::size_t i = 14 + id.size(); i < record.size(); ++i) ASSERT_EQ(record[i], 0) << "at " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, SignatureRecord,
    testing::Values(RecordCase{"empty", ""}, RecordCase{"plain", "my-marker"},
                    RecordCase{"spaces_and_case", "Mixed Case id "},
                    RecordCase{"non_ascii", "\xC3\xA9t\xC3\xA9\x80\xFF"},
                    RecordCase{"longest", std::string(241, 'x')}),
    [](const testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

TEST(SignatureRecordLimit, LongerIdentifierIsCutAtTheFieldKeepingItsTerminator)
{
    const std::string id(300, 'y');
    mt::SignatureRecord record;
    mt::build_signature_record(record, id.c_str(), id.size());
    EXPECT_EQ(std::string(record.begin() + 14, record.begin() + 255), std::string(241, 'y'));
    EXPECT_EQ(record[255], 0);
}
