// Texts and colours at the Qt edge.
#include "window/QtText.h"

QString ToQString(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

std::u16string FromQString(const QString& text)
{
    return text.toStdU16String();
}

QString ToDisplayText(const std::u16string& text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            out.append(QChar(u'\n'));
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out.append(QChar(text[i]));
        }
    }
    return out;
}

QColor ColorFromColorRef(std::int32_t colorRef)
{
    const auto v = static_cast<std::uint32_t>(colorRef);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

std::int32_t ColorRefFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}
