#include "platform/classicLocale.h"

namespace gridcmp {

namespace {

// Made once, on first use (thread-safe), and kept for the process's life.
locale_t classicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

ClassicLocaleScope::ClassicLocaleScope() {
    locale_t classic = classicLocale();
    previous = classic ? uselocale(classic) : static_cast<locale_t>(0);
}

ClassicLocaleScope::~ClassicLocaleScope() {
    if (previous) uselocale(previous);
}

}  // namespace gridcmp
