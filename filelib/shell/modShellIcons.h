// Icons of the shell information: theme icons looked up in the installed freedesktop icon
// themes, the process's image list of icon names, and the variants the shell draws (link
// overlay, selected, the default icon). Works on QImage, which needs no display.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace modShellIcons {

// Pixel sizes of the shell's large (and shell-size) and small icons.
inline constexpr int kLargeSize = 32;
inline constexpr int kSmallSize = 16;

// The file of the first of `names` that an installed icon theme holds, preferring the
// picture closest above `size` pixels; "" when none of them is installed.
QString FindIconFile(const QStringList& names, int size);

// The index of `iconName` in the process's image list, added at its end on first use.
std::int32_t ImageListIndex(const QString& iconName);
// The handle of the process's one image list; never 0.
std::uint32_t ImageListHandle();

// The picture of `file` at `size` x `size` pixels (kept in proportion, centred); a null
// image when the file cannot be read.
QImage LoadIcon(const QString& file, int size);
// The default icon at `size` x `size` pixels: a blank page, drawn.
QImage DefaultIcon(int size);
// `icon` with the link arrow in its lower left corner.
QImage WithLinkOverlay(const QImage& icon);
// `icon` tinted with the selection colour, as a file manager shows a selected item.
QImage Selected(const QImage& icon);

}  // namespace modShellIcons
