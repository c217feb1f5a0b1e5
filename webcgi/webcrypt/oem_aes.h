// Decryption of OEM branding packages.
#pragma once

#include <string>
#include <string_view>

// Plain bytes of `data` = 16-byte IV + AES-256-CBC ciphertext (PKCS#7), with
// the key's bytes (at most 32) padded with zeros. Returns the plain length
// (written to `plain`), or -1 for a wrong key, bad padding or short input.
int aesDecryWeb(std::string_view data, std::string_view key, std::string &plain);
