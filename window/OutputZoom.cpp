// The output box's zoom.
#include "window/OutputZoom.h"

#include <QPlainTextEdit>

#include <algorithm>

#include "window/SettingsStore.h"

using Hollin0106::Variant;

namespace {

constexpr char16_t kSection[] = u"Out Box";
constexpr char16_t kKey[] = u"Zoom";
constexpr int kMinSteps = -6;
constexpr int kMaxSteps = 30;
constexpr double kMinPoints = 4;

}  // namespace

void OutputZoom::LoadSteps()
{
    const Variant stored = SettingsStore().ReadValue(kSection, kKey, SettingsStore::vkNumber, Variant(0));
    steps_ = std::clamp(static_cast<int>(stored.toLong()), kMinSteps, kMaxSteps);
}

void OutputZoom::TakeNormalFont()
{
    normalPoints_ = box_.font().pointSizeF();
    Apply();
}

void OutputZoom::Zoom(int steps)
{
    steps_ = std::clamp(steps, kMinSteps, kMaxSteps);
    Apply();
    StoreBestEffort([this] { SettingsStore().WriteValue(kSection, kKey, SettingsStore::vkNumber, Variant(steps_)); });
}

void OutputZoom::Apply()
{
    if (normalPoints_ <= 0) return;
    QFont font = box_.font();
    font.setPointSizeF(std::max(kMinPoints, normalPoints_ + steps_));
    box_.setFont(font);
}
