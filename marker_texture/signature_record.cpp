#include "marker_texture/marker_texture.hpp"

#include <cstring>

namespace marker_texture {

void build_signature_record(SignatureRecord& record, const char* identifier,
                            std::size_t length)
{
    if (length > max_identifier_length) length = max_identifier_length;
    record.fill(0);
    std::memcpy(record.data(), signature_magic, sizeof signature_magic);  // with its zero byte
    std::memcpy(record.data() + identifier_field_offset, identifier, length);
    // The identifier's terminator and the padding after it are the zeros from fill().
}

}  // namespace marker_texture
