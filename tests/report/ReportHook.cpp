// The report's output hook for the unit tests: records every message.
#include "tests/report/ReportHook.h"

#include "report/modRPParse.h"

namespace testhook {
std::vector<std::u16string>& ShownMessages()
{
    static std::vector<std::u16string> messages;
    return messages;
}
}  // namespace testhook

void modRPParse::ShowReportMessage(const std::u16string& text)
{
    testhook::ShownMessages().push_back(text);
}
