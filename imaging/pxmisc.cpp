#include "imaging/pxmisc.h"

#include "platform/core/exceptions.h"

#include <cfenv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

int ReportProgress(platform::TObject* sender, int64_t current, int64_t min, int lastPercent, int64_t max,
    const TPercentDoneEvent& onPercentDone)
{
    if (!onPercentDone)
        return 0;
    int64_t percent = 0;
    if (max > min) {
        // Work in long double so that extreme ranges cannot overflow the product.
        const long double p
            = (static_cast<long double>(current) - min) * 100.0L / (static_cast<long double>(max) - min);
        percent = p <= 0 ? 0 : (p >= 100 ? 100 : static_cast<int64_t>(p));
    }
    if (percent != lastPercent)
        onPercentDone(sender, static_cast<int>(percent));
    return static_cast<int>(percent);
}

int32_t Clamp(int32_t value, int32_t low, int32_t high)
{
    return std::min(std::max(value, low), high);
}

bool FlagsSet(uint32_t value, uint32_t mask)
{
    return (value & mask) == mask;
}

double RoundToDecimals(double value, int decimals)
{
    char text[512];
    std::snprintf(text, sizeof text, "%40.*f", decimals < 0 ? 0 : (decimals > 300 ? 300 : decimals), value);
    return std::strtod(text, nullptr);
}

int64_t SafeTrunc(double value)
{
    // 2^63 itself does not fit; everything below it in magnitude does.
    if (!std::isfinite(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0)
        throw platform::Exception("PxMisc unit: Error in SafeTrunc.");
    return static_cast<int64_t>(value);
}

int64_t RoundHalfEven(double value)
{
    const double r = std::nearbyint(value); // the default rounding mode is to nearest, halves to even
    return static_cast<int64_t>(r);
}

namespace {

struct Civil {
    int year, month, day, hour, minute, second, millisecond;
};

Civil decode(double dateTime)
{
    double days = std::trunc(dateTime);
    int64_t ms = static_cast<int64_t>(std::llround(std::fabs(dateTime - days) * 86400000.0));
    if (ms >= 86400000)
        ms = 86399999;
    // Days from 1899-12-30 to the civil date (proleptic Gregorian calendar).
    int64_t z = static_cast<int64_t>(days) - 25569 + 719468; // 25569 = days from 1899-12-30 to 1970-01-01
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
    Civil c {};
    c.year = static_cast<int>(y);
    c.month = static_cast<int>(m);
    c.day = static_cast<int>(d);
    c.hour = static_cast<int>(ms / 3600000);
    c.minute = static_cast<int>(ms / 60000 % 60);
    c.second = static_cast<int>(ms / 1000 % 60);
    c.millisecond = static_cast<int>(ms % 1000);
    return c;
}

std::string format(const std::string& pattern, double dateTime)
{
    const Civil c = decode(dateTime);
    std::string out;
    auto twoDigits = [&](int v) {
        char b[16];
        std::snprintf(b, sizeof b, "%02d", v);
        out += b;
    };
    std::size_t i = 0;
    auto count = [&](char ch) {
        std::size_t n = 0;
        while (i + n < pattern.size() && std::tolower(static_cast<unsigned char>(pattern[i + n])) == ch)
            ++n;
        return n;
    };
    while (i < pattern.size()) {
        const char ch = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
        if (pattern[i] == '"' || pattern[i] == '\'') {
            const char quote = pattern[i++];
            while (i < pattern.size() && pattern[i] != quote)
                out += pattern[i++];
            if (i < pattern.size())
                ++i;
            continue;
        }
        std::size_t n = 0;
        switch (ch) {
        case 'y':
            n = count('y');
            if (n >= 3) {
                char b[16];
                std::snprintf(b, sizeof b, "%04d", c.year);
                out += b;
            } else {
                twoDigits(((c.year % 100) + 100) % 100);
            }
            break;
        case 'm':
            n = count('m');
            n = n >= 2 ? 2 : 1;
            n == 2 ? twoDigits(c.month) : void(out += std::to_string(c.month));
            break;
        case 'd':
            n = count('d');
            n = n >= 2 ? 2 : 1;
            n == 2 ? twoDigits(c.day) : void(out += std::to_string(c.day));
            break;
        case 'h':
            n = count('h');
            n = n >= 2 ? 2 : 1;
            n == 2 ? twoDigits(c.hour) : void(out += std::to_string(c.hour));
            break;
        case 'n':
            n = count('n');
            n = n >= 2 ? 2 : 1;
            n == 2 ? twoDigits(c.minute) : void(out += std::to_string(c.minute));
            break;
        case 's':
            n = count('s');
            n = n >= 2 ? 2 : 1;
            n == 2 ? twoDigits(c.second) : void(out += std::to_string(c.second));
            break;
        case 'z': {
            n = count('z');
            char b[16];
            std::snprintf(b, sizeof b, n >= 3 ? "%03d" : "%d", c.millisecond);
            out += b;
            n = n >= 3 ? 3 : 1;
            break;
        }
        default:
            out += pattern[i];
            n = 1;
            break;
        }
        i += n;
    }
    return out;
}

std::mutex g_tagMutex;
std::array<uint32_t, 20> g_tagNumbers {};

} // namespace

std::string FormatDateWith(const std::string& pattern, double dateTime)
{
    return format(pattern, dateTime);
}

std::string FormatTimeWith(const std::string& pattern, double dateTime)
{
    return format(pattern, dateTime);
}

double NowAsDateTime()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local {};
    localtime_r(&seconds, &local);
    const auto ms
        = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const double localSeconds = static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff);
    return 25569.0 + (localSeconds + static_cast<double>(ms) / 1000.0) / 86400.0;
}

void SetTiffUserTagNumbers(const std::array<uint32_t, 20>& numbers)
{
    std::lock_guard lock(g_tagMutex);
    g_tagNumbers = numbers;
}

std::array<uint32_t, 20> TiffUserTagNumbers()
{
    std::lock_guard lock(g_tagMutex);
    return g_tagNumbers;
}
