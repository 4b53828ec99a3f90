// Variant conversions with automation semantics.
#include <Hollin0106/Variant.h>

#include <cmath>
#include <limits>
#include <string>

#include <Hollin0106/AutomationError.h>
#include "common/Utf16.h"

namespace Hollin0106 {

namespace {

[[noreturn]] void TypeMismatch()
{
    throw AutomationError(errnum::TypeMismatch, u"qvxFSO");
}

// Banker's rounding as automation conversions to integers use it.
std::int32_t RoundToLong(double d)
{
    if (!std::isfinite(d)) TypeMismatch();
    const double r = std::nearbyint(d);  // default rounding mode: to nearest even
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        TypeMismatch();
    return static_cast<std::int32_t>(r);
}

bool ParseNumber(const std::u16string& s, double& out)
{
    std::string ascii;
    for (char16_t c : s) {
        if (c > 0x7F) return false;
        ascii.push_back(static_cast<char>(c));
    }
    const auto first = ascii.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = ascii.find_last_not_of(" \t");
    ascii = ascii.substr(first, last - first + 1);
    if (ascii.size() > 2 && ascii[0] == '&' && (ascii[1] == 'H' || ascii[1] == 'h')) {
        try {
            std::size_t used = 0;
            const unsigned long v = std::stoul(ascii.substr(2), &used, 16);
            if (used != ascii.size() - 2 || v > 0xFFFFFFFFul) return false;
            out = static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
            return true;
        } catch (...) {
            return false;
        }
    }
    try {
        std::size_t used = 0;
        out = std::stod(ascii, &used);
        return used == ascii.size();
    } catch (...) {
        return false;
    }
}

}  // namespace

Variant Variant::RefTo(ByteArray& array)
{
    Variant v;
    v.value_ = &array;
    return v;
}

Variant::Type Variant::type() const
{
    switch (value_.index()) {
    case 0: return Type::Empty;
    case 1: return Type::Missing;
    case 2: return Type::Boolean;
    case 3: return Type::Long;
    case 4: return Type::Double;
    case 5: return Type::String;
    case 6:
    case 7: return Type::ByteArray;
    default: return Type::Object;
    }
}

bool Variant::toBool() const
{
    switch (type()) {
    case Type::Empty: return false;
    case Type::Boolean: return std::get<bool>(value_);
    case Type::Long: return std::get<std::int32_t>(value_) != 0;
    case Type::Double: return std::get<double>(value_) != 0.0;
    case Type::String: {
        const std::u16string lower = AsciiLower(std::get<std::u16string>(value_));
        if (lower == u"true") return true;
        if (lower == u"false") return false;
        double d = 0;
        if (ParseNumber(lower, d)) return d != 0.0;
        TypeMismatch();
    }
    default: TypeMismatch();
    }
}

std::int32_t Variant::toLong() const
{
    switch (type()) {
    case Type::Empty: return 0;
    case Type::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case Type::Long: return std::get<std::int32_t>(value_);
    case Type::Double: return RoundToLong(std::get<double>(value_));
    case Type::String: {
        double d = 0;
        if (!ParseNumber(std::get<std::u16string>(value_), d)) TypeMismatch();
        return RoundToLong(d);
    }
    default: TypeMismatch();
    }
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Empty: return 0.0;
    case Type::Boolean: return std::get<bool>(value_) ? -1.0 : 0.0;
    case Type::Long: return std::get<std::int32_t>(value_);
    case Type::Double: return std::get<double>(value_);
    case Type::String: {
        double d = 0;
        if (!ParseNumber(std::get<std::u16string>(value_), d)) TypeMismatch();
        return d;
    }
    default: TypeMismatch();
    }
}

std::u16string Variant::toString() const
{
    switch (type()) {
    case Type::Empty: return {};
    case Type::Boolean: return std::get<bool>(value_) ? u"True" : u"False";
    case Type::Long: return FromUtf8(std::to_string(std::get<std::int32_t>(value_)));
    case Type::Double: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.15G", std::get<double>(value_));
        return FromUtf8(buf);
    }
    case Type::String: return std::get<std::u16string>(value_);
    default: TypeMismatch();
    }
}

const ByteArray& Variant::bytes() const
{
    if (const auto* held = std::get_if<ByteArray>(&value_)) return *held;
    if (const auto* ref = std::get_if<ByteArray*>(&value_)) return **ref;
    TypeMismatch();
}

void Variant::setBytes(ByteArray bytes)
{
    if (auto* held = std::get_if<ByteArray>(&value_)) {
        *held = std::move(bytes);
        return;
    }
    if (auto* ref = std::get_if<ByteArray*>(&value_)) {
        **ref = std::move(bytes);
        return;
    }
    TypeMismatch();
}

const std::shared_ptr<void>& Variant::object() const
{
    if (const auto* held = std::get_if<std::shared_ptr<void>>(&value_)) return *held;
    TypeMismatch();
}

}  // namespace Hollin0106
