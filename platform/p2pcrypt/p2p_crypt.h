// Cloud-crypto library of the P2P server exchange (stand-in): each side has
// an RSA key, the two swap public keys once per connection, and every message
// travels RSA-OAEP encrypted to the other side's key, in 256-byte blocks.
// One exchange at a time per process (the peer key is process state).
#pragma once

// Encrypted size of `len` plain bytes (whole blocks); 0 for len <= 0.
int rsa_cal_ensize(int len);

// Client: makes this device's key file ("/mnt/nand/p2p/p2p_key.pem" under the
// device root, 0600) when it is missing, and loads it. 0 / -1.
int p2p_create_keyfile(void);
// Client: sends the device's public key on `sock`, then reads the server's. 0 / -1.
int p2p_cli_switch_keyfile(int sock);

// Server: a fresh key held in memory for the life of the process. 0 / -1.
int p2p_srv_create_key(void);
// Server: reads the client's public key, then sends its own. 0 / -1.
int p2p_srv_switch_keyfile(int sock);

// Encrypts `len` bytes of `data` to the peer into `work` (work_size at least
// rsa_cal_ensize(len)) and sends them all. 0 / -1.
int p2p_send(int sock, const void *data, int len, unsigned char *work, int work_size);
// Receives up to `enlen` encrypted bytes into `work` (fewer when the peer
// closes after whole blocks) and decrypts them with the own key into `out`.
// The plain length (at most out_size), or -1.
int p2p_recv(int sock, unsigned char *work, int enlen, void *out, int out_size);

// Forgets the peer key (the connection ended).
void p2p_end(void);
