#include "platform/qt/numberformat.h"

#include <QLocale>

TNumberFormat LocaleNumberFormat()
{
    const QLocale locale;
    TNumberFormat format;
    format.DecimalSeparator = locale.decimalPoint().toStdString();
    format.ThousandsSeparator = locale.groupSeparator().toStdString();
    return format;
}
