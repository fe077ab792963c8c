// Line-oriented reading of the game's text files (settings, help).
#pragma once

#include <cstdio>

// Reads a piece of at most size - 1 characters the way fgets does: a line
// end ends the piece and stays at its end; a longer line comes in several
// pieces. A CR LF pair counts as one line end "\n", as the text files were
// written on systems with CR LF lines. Null at the end of the file (nothing
// read) or when size is below 2.
char* read_text_piece(std::FILE* file, char* buffer, int size);
