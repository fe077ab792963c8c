#include "shell/text_lines.h"

char* read_text_piece(std::FILE* file, char* buffer, int size)
{
    if (size < 2) {
        return nullptr;
    }
    int stored = 0;
    while (stored < size - 1) {
        int c = std::getc(file);
        if (c == EOF) {
            break;
        }
        if (c == '\r') {
            const int next = std::getc(file);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
        }
        buffer[stored++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (stored == 0) {
        return nullptr;
    }
    buffer[stored] = '\0';
    return buffer;
}
