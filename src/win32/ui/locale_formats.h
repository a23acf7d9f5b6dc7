// The formats of the "Last Updated" stamp from the user's locale settings
// (GetLocaleInfoA: texts in the system's ANSI code page), and the local
// clock.
#pragma once

#include "strip/last_update.h"

// The user's formats as they are now. The date keeps the long date pattern
// as Windows writes it; the time takes the separator, the 12/24-hour clock,
// the leading zero of the hours and the two designators. Numbers are ASCII
// digits, as Windows' own date formatting writes them.
LastUpdateFormats UserLocaleFormats();
// The local time from the system clock.
LocalTime LocalClockNow();
