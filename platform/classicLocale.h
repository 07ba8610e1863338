// The C library's number conversions (strtod, printf) follow the calling
// thread's locale: under a locale with a decimal comma, "1.5" reads as 1 and
// 0.5 prints as "0,5". gridcmp itself never sets a locale, but a program that
// links the core may; the core's calls to them run inside a
// ClassicLocaleScope, which puts the thread in the C locale for its lifetime
// and back where it was after.
#pragma once

#include <locale.h>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace gridcmp {

struct ClassicLocaleScope {
    ClassicLocaleScope();
    ~ClassicLocaleScope();
    ClassicLocaleScope(const ClassicLocaleScope&) = delete;
    ClassicLocaleScope& operator=(const ClassicLocaleScope&) = delete;

    locale_t previous;  // (locale_t)0 when the C locale could not be made
};

}  // namespace gridcmp
