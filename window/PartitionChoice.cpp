// Which NTFS partition of a disk image or device to open.
#include "window/PartitionChoice.h"

#include <QInputDialog>
#include <QLocale>

#include <Hollin0106/NtfsImage.h>

#include "window/QtText.h"

using namespace Hollin0106;

std::vector<NtfsPartition> NtfsPartitions(const std::u16string& image)
{
    // A GPT holds 128 entries, so no table lists more.
    constexpr std::int32_t kMostPartitions = 128;
    // A partition that holds no NTFS volume (or a damaged one) is passed over; any other
    // error ends the search: no partition past the table's last, no table, no image.
    constexpr std::int32_t kNotNtfs = 321;
    std::vector<NtfsPartition> found;
    NtfsImage volume;
    for (std::int32_t n = 1; n <= kMostPartitions; ++n) {
        if (volume.Open(image, n)) {
            found.push_back({n, volume.Volume().Size});
            volume.Close();
        } else if (volume.ErrorNumber() != kNotNtfs) {
            break;
        }
    }
    return found;
}

std::int32_t AskPartition(QWidget* owner, const std::u16string& image, const std::vector<NtfsPartition>& partitions)
{
    QStringList items;
    for (const NtfsPartition& p : partitions)
        items.append(QStringLiteral("Partition %1 (%2)")
                         .arg(p.Number)
                         .arg(QLocale().formattedDataSize(static_cast<qint64>(p.Size), 1, QLocale::DataSizeIecFormat)));
    QInputDialog dialog(owner);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(QStringLiteral("Open Image"));
    dialog.setLabelText(ToQString(image) + QStringLiteral("\n\nThe disk holds several NTFS volumes. Open partition:"));
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (dialog.exec() != QDialog::Accepted) return 0;
    const qsizetype chosen = items.indexOf(dialog.textValue());
    return chosen < 0 ? 0 : partitions[static_cast<std::size_t>(chosen)].Number;
}
