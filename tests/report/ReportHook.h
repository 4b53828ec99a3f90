// Captures what the report driver shows, in order.
#pragma once

#include <string>
#include <vector>

namespace testhook {
std::vector<std::u16string>& ShownMessages();
}
