#pragma once
// Small routines every picture unit shares: percent progress, clamping, rounding, truncation,
// date-time text and the TIFF user tag numbers.
#include "platform/core/object.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// Progress event of the picture classes and transforms: Sender and a percent 0..100.
using TPercentDoneEvent = std::function<void(platform::TObject* sender, int percent)>;

// Returns the percent of Current between Min and Max (0..100; 0 when Max <= Min) and fires the
// handler with it when it differs from LastPercent. With no handler returns 0 and does nothing.
// Callers keep the result as their next LastPercent; 255 forces the call.
int ReportProgress(platform::TObject* sender, int64_t current, int64_t min, int lastPercent, int64_t max,
    const TPercentDoneEvent& onPercentDone);

int32_t Clamp(int32_t value, int32_t low, int32_t high);
bool FlagsSet(uint32_t value, uint32_t mask);
// The value written with Decimals digits after the point and read back.
double RoundToDecimals(double value, int decimals);
// The value truncated toward zero; raises Exception "PxMisc unit: Error in SafeTrunc." when
// it is not a number or does not fit 64 bits.
int64_t SafeTrunc(double value);
// Banker's rounding (halves to even), the rounding of the picture classes.
int64_t RoundHalfEven(double value);

// Date-time values are days since 1899-12-30 with the time of day as the fraction. The
// patterns know yyyy, yy, mm, m, dd, d (date) and hh, h, nn, n, ss, s, zzz (time); every other
// character, and text in quotes, is copied as it is.
std::string FormatDateWith(const std::string& pattern, double dateTime);
std::string FormatTimeWith(const std::string& pattern, double dateTime);
// The current local date and time in that form.
double NowAsDateTime();

// The tag numbers of "UserTag1" .. "UserTag20" for the TIFF tag extension.
void SetTiffUserTagNumbers(const std::array<uint32_t, 20>& numbers);
std::array<uint32_t, 20> TiffUserTagNumbers();
