// A small automation variant: what the library's ...ByVar methods and by-reference
// byte-array arguments exchange. Conversions that cannot be made raise error 13.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

using ByteArray = std::vector<std::uint8_t>;

class HOLLIN0106_API Variant {
public:
    enum class Type { Empty, Missing, Boolean, Long, Double, String, ByteArray, Object };

    // An argument the caller left out (optional parameter without a value).
    struct MissingTag {};
    static Variant Missing() { return Variant(MissingTag{}); }
    // A variant that refers to the caller's byte array (a by-reference array argument):
    // storing bytes into it writes through to that array.
    static Variant RefTo(ByteArray& array);

    Variant() = default;
    Variant(MissingTag) : value_(MissingTag{}) {}
    Variant(bool b) : value_(b) {}
    Variant(std::int32_t l) : value_(l) {}
    Variant(double d) : value_(d) {}
    Variant(std::u16string s) : value_(std::move(s)) {}
    Variant(const char16_t* s) : value_(std::u16string(s)) {}
    // A narrow string would otherwise become a Boolean (a pointer converts to bool), and a
    // ...ByVar call would work on a file named "True": strings are UTF-16 (u"...").
    Variant(const char*) = delete;
    Variant(ByteArray bytes) : value_(std::move(bytes)) {}
    Variant(std::shared_ptr<void> object) : value_(std::move(object)) {}

    Type type() const;
    bool isEmpty() const { return type() == Type::Empty; }
    bool isMissing() const { return type() == Type::Missing; }
    // True when the variant holds, or refers to, an array of bytes.
    bool isByteArray() const { return type() == Type::ByteArray; }

    // Conversions with the automation rules; each raises error 13 when it cannot be made.
    // Empty converts to False / 0 / 0.0 / "".
    bool toBool() const;
    std::int32_t toLong() const;
    double toDouble() const;
    std::u16string toString() const;
    // The held or referred byte array; error 13 for any other content.
    const ByteArray& bytes() const;
    // Replaces the held or referred array by `bytes`; error 13 when the variant holds no array.
    void setBytes(ByteArray bytes);
    // The held object; error 13 for any other content.
    const std::shared_ptr<void>& object() const;

private:
    using Storage = std::variant<std::monostate, MissingTag, bool, std::int32_t, double,
                                 std::u16string, ByteArray, ByteArray*, std::shared_ptr<void>>;
    Storage value_;
};

}  // namespace Hollin0106
