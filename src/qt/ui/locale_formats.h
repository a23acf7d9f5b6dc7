// The date and time formats of a locale as Qt knows it, for the "Last
// Updated" stamp (strip/last_update.h): its long date pattern (Qt's pattern
// letters, which the stamp's formatter shares), its month and day names and
// digits, and the separator, the hour digits and the clock read from its
// long time format, with its AM/PM texts. Texts are UTF-8.
#pragma once

#include <QLocale>

#include "strip/last_update.h"

LastUpdateFormats LocaleFormats(const QLocale& locale);
