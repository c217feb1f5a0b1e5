// Stand-in for the device's translation facility: names of log types and
// parameters by numeric text id, per language. The language code is a key
// into a fixed table (never part of a path); an unknown code or id gives an
// empty name.
#pragma once

#include <cstddef>

// Selects the language for this process. 0 when the code names a known
// language, -1 otherwise (every lookup then gives "").
int trans_init(const char *language);
// Copies the name of text id `id` into buf (cut to size - 1, terminated).
// Returns 0, or -1 (buf "" when size > 0) for an unknown id or language.
int trans_get_value(int id, char *buf, size_t size);
// Forgets the language.
void trans_deinit();
