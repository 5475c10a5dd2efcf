#include "sounding/DocumentExtension.h"

#include "dsp/KorvaneError.h"

#include <array>
#include <bit>
#include <cstring>

namespace korvane {

namespace {

[[noreturn]] void Damaged(const std::string& why) {
    throw KorvaneError("the extension block is damaged: " + why);
}

void AppendU(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xffu);
}

uint64_t GetU(const char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}

// Reads the payload front to back; every read is checked against what is left.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : rest_(bytes) {}
    bool done() const { return rest_.empty(); }
    uint64_t Unsigned(int bytes, const char* what) {
        return GetU(Bytes(static_cast<std::size_t>(bytes), what).data(), bytes);
    }
    std::string_view Bytes(std::size_t count, const char* what) {
        if (count > rest_.size())
            Damaged(std::string(what) + " runs past the end of the block");
        const std::string_view part = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return part;
    }

private:
    std::string_view rest_;
};

std::string EncodeValue(const DocumentExtension::Value& value, uint8_t& type) {
    using Type = DocumentExtension::Type;
    std::string bytes;
    if (const auto* integer = std::get_if<int64_t>(&value)) {
        type = static_cast<uint8_t>(Type::Integer);
        AppendU(bytes, static_cast<uint64_t>(*integer), 8);
    } else if (const auto* real = std::get_if<double>(&value)) {
        type = static_cast<uint8_t>(Type::Real);
        AppendU(bytes, std::bit_cast<uint64_t>(*real), 8);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        type = static_cast<uint8_t>(Type::Text);
        bytes = *text;
    } else if (const auto* list = std::get_if<std::vector<double>>(&value)) {
        type = static_cast<uint8_t>(Type::RealList);
        for (double v : *list)
            AppendU(bytes, std::bit_cast<uint64_t>(v), 8);
    } else {
        const auto& raw = std::get<DocumentExtension::Raw>(value);
        type = raw.type;
        bytes = raw.bytes;
    }
    return bytes;
}

DocumentExtension::Value DecodeValue(uint8_t type, std::string_view bytes, const std::string& key) {
    using Type = DocumentExtension::Type;
    const auto fixed = [&](std::size_t size) {
        if (bytes.size() != size)
            Damaged("entry \"" + key + "\" has " + std::to_string(bytes.size()) +
                    " bytes for its type");
    };
    switch (static_cast<Type>(type)) {
    case Type::Integer:
        fixed(8);
        return static_cast<int64_t>(GetU(bytes.data(), 8));
    case Type::Real:
        fixed(8);
        return std::bit_cast<double>(GetU(bytes.data(), 8));
    case Type::Text:
        return std::string(bytes);
    case Type::RealList: {
        if (bytes.size() % 8 != 0)
            Damaged("entry \"" + key + "\" is not a whole number of values");
        std::vector<double> list(bytes.size() / 8);
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = std::bit_cast<double>(GetU(bytes.data() + 8 * i, 8));
        return list;
    }
    }
    return DocumentExtension::Raw{type, std::string(bytes)};
}

} // namespace

void DocumentExtension::Set(std::string key, Value value) {
    entries_.insert_or_assign(std::move(key), std::move(value));
}

const DocumentExtension::Value* DocumentExtension::Find(std::string_view key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

std::optional<DocumentExtension::Value> DocumentExtension::Take(std::string_view key) {
    const auto it = entries_.find(key);
    if (it == entries_.end())
        return std::nullopt;
    Value value = std::move(it->second);
    entries_.erase(it);
    return value;
}

std::string DocumentExtension::Encode() const {
    if (entries_.empty())
        return {};
    std::string payload;
    AppendU(payload, entries_.size(), 4);
    for (const auto& [key, value] : entries_) {
        if (key.size() > 0xffffu)
            throw KorvaneError("The document could not be saved: an extension key is too long.");
        uint8_t type = 0;
        const std::string bytes = EncodeValue(value, type);
        AppendU(payload, key.size(), 2);
        payload += key;
        payload += static_cast<char>(type);
        AppendU(payload, bytes.size(), 4);
        payload += bytes;
    }
    std::string block(kTag, sizeof kTag);
    AppendU(block, kVersion, 4);
    AppendU(block, payload.size(), 4);
    AppendU(block, Crc32(payload), 4);
    return block + payload;
}

DocumentExtension DocumentExtension::Decode(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kTag, sizeof kTag) != 0)
        Damaged("it does not start with its tag");
    const uint64_t version = GetU(bytes.data() + 4, 4);
    if (version != kVersion)
        Damaged("its layout version " + std::to_string(version) + " is unknown");
    const uint64_t length = GetU(bytes.data() + 8, 4);
    if (length != bytes.size() - kHeaderSize || length > kMaxPayload)
        Damaged("its length says " + std::to_string(length) + " bytes, but " +
                std::to_string(bytes.size() - kHeaderSize) + " follow");
    const std::string_view payload = bytes.substr(kHeaderSize);
    if (GetU(bytes.data() + 12, 4) != Crc32(payload))
        Damaged("its checksum does not match");

    DocumentExtension block;
    Cursor cursor(payload);
    const uint64_t count = cursor.Unsigned(4, "the entry count");
    for (uint64_t i = 0; i < count; ++i) {
        const auto keyLength = static_cast<std::size_t>(cursor.Unsigned(2, "a key length"));
        std::string key(cursor.Bytes(keyLength, "a key"));
        const auto type = static_cast<uint8_t>(cursor.Unsigned(1, "a type"));
        const auto valueLength = static_cast<std::size_t>(cursor.Unsigned(4, "a value length"));
        const std::string_view value = cursor.Bytes(valueLength, "a value");
        if (block.entries_.count(key) != 0)
            Damaged("the key \"" + key + "\" appears twice");
        Value decoded = DecodeValue(type, value, key);
        block.entries_.emplace(std::move(key), std::move(decoded));
    }
    if (!cursor.done())
        Damaged("bytes follow its last entry");
    return block;
}

uint32_t DocumentExtension::Crc32(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xffffffffu;
    for (char ch : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xffu] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

} // namespace korvane
