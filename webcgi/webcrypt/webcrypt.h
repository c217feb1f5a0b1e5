// webcrypt: the cipher work of webcgi, in a program of its own so that the
// program every request starts carries no cipher library (it would add about
// 0.35 MiB to each request's resident memory). webcgi starts it beside itself
// for the two requests that need it:
//
//   webcrypt oem-decrypt   stdin: one byte N, an N-byte key (N <= 32), then the
//                          package (16-byte IV + AES-256-CBC ciphertext);
//                          stdout: the plain bytes. Exit 0, or 1 when the key
//                          or the package is wrong.
//   webcrypt p2p-test      descriptor 3: a socket connected to the P2P server;
//                          stdin: the 568-byte P2pTestBody; stdout: when the
//                          server sent a body, kP2pBodyMark then that body.
//                          Exit: the test's result (P2P_TEST_*).
#pragma once

#include <cstddef>

inline constexpr const char *kWebcrypt = "webcrypt";
inline constexpr const char *kOemDecrypt = "oem-decrypt";
inline constexpr const char *kP2pTest = "p2p-test";

inline constexpr size_t kOemKeyMax = 32;
// The largest package a request may hand over (16 MiB of Base64 decoded).
inline constexpr size_t kOemSealedMax = 12u << 20;
inline constexpr char kP2pBodyMark = 'B';
