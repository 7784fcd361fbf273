#pragma once
// The user's number format. Every number the program shows a person (inputs, result lines,
// tables, graphs, drawings, the printed report) is written with the decimal separator of the
// locale, the one the numeric inputs accept when typed, and without thousands separators.
// Files never use it.
#include "platform/core/numberformat.h"

// The separators of QLocale's default locale.
TNumberFormat LocaleNumberFormat();
