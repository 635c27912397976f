#pragma once

namespace xml {

// The character at p if it is a well-formed UTF-8 sequence of two to four
// bytes (no overlong form, no surrogate, nothing beyond U+10FFFF), 0
// otherwise; `length` is its byte count. By hand, since QStringDecoder
// tells neither what the reader's inner loops need (one character, at once)
// nor what the lossless file names need (where each valid sequence ends).
inline char32_t decodeUtf8Sequence(const unsigned char* p, const unsigned char* end, int& length)
{
    const unsigned char lead = *p;
    char32_t c;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return c;
}

} // namespace xml
