// Small pictures written as text, a line a row and a character a pixel, so
// that a glyph or a cursor can be checked by eye in the source.
#pragma once

// Calls paint(x, y, cell) for each pixel of the picture drawn at scale times
// its size, cell being the picture's character there. Cells of '.' or ' '
// are blank and left out. A newline that opens the picture (the one after a
// raw string's opening) starts no row.
template <typename Paint>
void DecodeTextPicture(const char* picture, int scale, Paint paint) {
    if (*picture == '\n') {
        ++picture;
    }
    for (int top = 0; *picture != '\0'; top += scale) {
        const char* end = picture;
        while (*end != '\0' && *end != '\n') {
            ++end;
        }
        for (int y = top; y < top + scale; ++y) {
            for (int x = 0; x < (end - picture) * scale; ++x) {
                const char cell = picture[x / scale];
                if (cell != '.' && cell != ' ') {
                    paint(x, y, cell);
                }
            }
        }
        picture = *end == '\n' ? end + 1 : end;
    }
}
