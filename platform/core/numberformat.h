#pragma once
// The separators a number is written with for people: decimal and thousands (either may be
// several bytes, as in UTF-8). The default is the neutral one that files and fixed texts use.
#include <string>

struct TNumberFormat {
    std::string DecimalSeparator = ".";
    std::string ThousandsSeparator = ",";
};
