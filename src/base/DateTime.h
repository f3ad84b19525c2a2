#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace base {

// Local wall-clock date and time as a count of days since 1899-12-30 00:00, the time of day
// being the fraction.
using TDateTime = double;

// The source of "now"; tests pass a fixed one.
using Clock = std::function<TDateTime()>;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Throws ConvertError for a date or time that does not exist.
TDateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(TDateTime value);

// "yyyy-mm-dd hh:nn:ss": every part but the year with two digits.
std::string FormatDateTime(TDateTime value);

// Reads "y-m-d h:n:s" as the marketplace writes it: month, day and the time parts with one or
// two digits, the year with one to four. Any other form throws ConvertError.
TDateTime ParseDateTime(std::string_view text);

// The reading of "1970-1-1 0:00:00", the date-time used where a value is missing.
TDateTime DefaultDateTime();

// The local wall clock now.
TDateTime NowLocal();

}  // namespace base
