#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvane {

// The optional block a document may carry after its fixed content: typed key/value entries
// that older readers never reach. Owns its entries, ordered by key so that the same entries
// always encode to the same bytes.
//
// Block layout (little-endian): the tag "KVNX", the layout version (1), the payload length in
// bytes, the CRC-32 of the payload, then the payload: the entry count, and per entry the key
// length (16 bits), the key (UTF-8), the type (8 bits), the value length (32 bits) and the
// value. Types: Integer (64-bit signed), Real (64-bit IEEE), Text (UTF-8), RealList (64-bit
// IEEE values). A type this version does not know is kept as its raw bytes and written back
// unchanged, as is every key no part of the program claims.
class DocumentExtension {
public:
    enum class Type : uint8_t { Integer = 1, Real = 2, Text = 3, RealList = 4 };

    // A value of a type this version does not know.
    struct Raw {
        uint8_t type = 0;
        std::string bytes;
        bool operator==(const Raw&) const = default;
    };
    using Value = std::variant<int64_t, double, std::string, std::vector<double>, Raw>;

    static constexpr char kTag[4] = {'K', 'V', 'N', 'X'};
    static constexpr uint32_t kVersion = 1;
    static constexpr std::size_t kHeaderSize = 16;
    // Refused beyond this, so a damaged length never makes a reader allocate much.
    static constexpr std::size_t kMaxPayload = 16u << 20;

    bool empty() const { return entries_.empty(); }
    const std::map<std::string, Value, std::less<>>& Entries() const { return entries_; }

    void Set(std::string key, Value value);
    const Value* Find(std::string_view key) const;
    // Removes the entry and hands its value out; empty when there is none.
    std::optional<Value> Take(std::string_view key);

    // The whole block; an empty string when there are no entries (so a document without
    // extensions keeps its fixed size). Throws KorvaneError for a key longer than 65535 bytes.
    std::string Encode() const;

    // Reads a whole block of exactly these bytes. Throws KorvaneError saying what is wrong (tag,
    // version, length, checksum or an entry) for anything else.
    static DocumentExtension Decode(std::string_view bytes);

    // CRC-32 (reflected polynomial 0xEDB88320, as in zlib and PNG).
    static uint32_t Crc32(std::string_view bytes);

    bool operator==(const DocumentExtension&) const = default;

private:
    std::map<std::string, Value, std::less<>> entries_;
};

} // namespace korvane
