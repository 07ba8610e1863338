#include "study/utf8.h"

namespace gridcmp {

int utf8SequenceLength(const unsigned char* text) {
    unsigned char lead = text[0];
    auto continuation = [text](int i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return text[i] >= low && text[i] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
    if (lead == 0xE0) return continuation(1, 0xA0) && continuation(2) ? 3 : 0;
    if (lead == 0xED) return continuation(1, 0x80, 0x9F) && continuation(2) ? 3 : 0;
    if (lead >= 0xE1 && lead <= 0xEF) return continuation(1) && continuation(2) ? 3 : 0;
    if (lead == 0xF0) return continuation(1, 0x90) && continuation(2) && continuation(3) ? 4 : 0;
    if (lead >= 0xF1 && lead <= 0xF3) return continuation(1) && continuation(2) && continuation(3) ? 4 : 0;
    if (lead == 0xF4) return continuation(1, 0x80, 0x8F) && continuation(2) && continuation(3) ? 4 : 0;
    return 0;
}

}  // namespace gridcmp
