#include "base/DateTime.h"

#include "base/Errors.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace base {
namespace {

constexpr int64_t kDaysFrom1970To1899_12_30 = -25569;
constexpr double kMillisecondsPerDay = 86400000.0;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads 1 to maxDigits decimal digits at text[pos]; returns -1 when there are none.
int ReadNumber(std::string_view text, size_t& pos, size_t maxDigits) {
    int value = 0;
    size_t count = 0;
    while (pos < text.size() && count < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count == 0 ? -1 : value;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

}  // namespace

TDateTime EncodeDateTime(const DateTimeParts& p) {
    const bool valid = p.year >= 1 && p.year <= 9999 && p.month >= 1 && p.month <= 12 &&
                       p.day >= 1 && p.day <= DaysInMonth(p.year, p.month) && p.hour >= 0 &&
                       p.hour < 24 && p.minute >= 0 && p.minute < 60 && p.second >= 0 &&
                       p.second < 60 && p.millisecond >= 0 && p.millisecond < 1000;
    if (!valid) {
        throw ConvertError("invalid date or time");
    }
    const int64_t days =
        DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) -
        kDaysFrom1970To1899_12_30;
    const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
    return static_cast<double>(days) + ms / kMillisecondsPerDay;
}

DateTimeParts DecodeDateTime(TDateTime value) {
    // Round to the millisecond first so that 0.999999... of a second does not show as 59.
    const double totalMs = std::round(value * kMillisecondsPerDay);
    const double days = std::floor(totalMs / kMillisecondsPerDay);
    int64_t ms = static_cast<int64_t>(totalMs - days * kMillisecondsPerDay);
    DateTimeParts p;
    CivilFromDays(static_cast<int64_t>(days) + kDaysFrom1970To1899_12_30, p.year, p.month, p.day);
    p.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    p.second = static_cast<int>(ms % 60);
    ms /= 60;
    p.minute = static_cast<int>(ms % 60);
    p.hour = static_cast<int>(ms / 60);
    return p;
}

std::string FormatDateTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return buffer;
}

TDateTime ParseDateTime(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    DateTimeParts p;
    const bool ok = (p.year = ReadNumber(text, pos, 4)) >= 0 && Expect(text, pos, '-') &&
                    (p.month = ReadNumber(text, pos, 2)) >= 0 && Expect(text, pos, '-') &&
                    (p.day = ReadNumber(text, pos, 2)) >= 0 && Expect(text, pos, ' ') &&
                    (p.hour = ReadNumber(text, pos, 2)) >= 0 && Expect(text, pos, ':') &&
                    (p.minute = ReadNumber(text, pos, 2)) >= 0 && Expect(text, pos, ':') &&
                    (p.second = ReadNumber(text, pos, 2)) >= 0;
    while (ok && pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    if (ok && pos == text.size()) {
        try {
            return EncodeDateTime(p);
        } catch (const ConvertError&) {
        }
    }
    throw ConvertError("'" + std::string(text) + "' is not a valid date and time");
}

TDateTime DefaultDateTime() {
    return ParseDateTime("1970-1-1 0:00:00");
}

TDateTime NowLocal() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch() %
                                                                          std::chrono::seconds(1))
                        .count();
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(ms)});
}

}  // namespace base
