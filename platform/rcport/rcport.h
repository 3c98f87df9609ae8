#pragma once

// The QLR-815 device library. Every function returns non-zero for success
// (link_state: the remote is attached). Texts are zero-terminated 8-bit
// strings; buffers are the caller's, zeroed, and at least as large as stated:
// ReadVersion 250 bytes, RBasicInfo 1024, RCollectCodeInfo 10240, readdatav20
// 16 x count. Nothing is written past those sizes; readdatav20 writes exactly
// 16 x count hex characters and no terminator.
#ifdef __cplusplus
extern "C" {
#endif

unsigned char link_state(void);
unsigned char ReadVersion(char *buffer);
unsigned char readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector);
unsigned char writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data);
unsigned char WCodeTypeData(const char *data);
unsigned char SetCodeCarrierWave(void);
unsigned char RCollectCodeInfo(char *buffer);
unsigned char RBasicInfo(char *buffer);

#ifdef __cplusplus
}
#endif
