#include "common/Clock.h"

#include <cstdio>
#include <ctime>

namespace tallivo {

std::string SystemClock::TodayYyyymmdd() const
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

} // namespace tallivo
