/* Tamsil: builds API frames, cuts them out of a receive stream and decodes
 * module replies. Plain C ABI; every buffer belongs to the caller. */
#ifndef TAMSIL_H
#define TAMSIL_H

#include <stddef.h>
#include <stdint.h>

#if defined(TAMSIL_BUILD)
#define TAMSIL_API __attribute__((visibility("default")))
#else
#define TAMSIL_API
#endif

#ifdef __cplusplus
extern "C" {
#define TAMSIL_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define TAMSIL_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

enum { RECV_BUFFER_SIZE = 4096, API_TEXT_COUNT = 5, API_TEXT_SIZE = 128, API_MAX_PAYLOAD = 250,
       API_MAX_FRAME = API_MAX_PAYLOAD + 5, API_MAX_REMOTE_VALUE = 129 };

/* Receive stream: bytes valid from 0 to writePos; scanning starts at readPos. */
typedef struct SRecvBuffer {
    uint8_t data[RECV_BUFFER_SIZE];
    int32_t readPos;
    int32_t writePos;
    int32_t count; /* writePos - readPos */
} SRecvBuffer;

/* One decoded frame. The caller zero-fills it before every call. */
typedef struct SApiResult {
    uint16_t command;
    int32_t type;     /* ParamType of the reply, 0 when none */
    uint8_t success;  /* 1 when the module's status byte was 0 */
    int32_t textCount;
    char texts[API_TEXT_COUNT][API_TEXT_SIZE];
} SApiResult;

TAMSIL_STATIC_ASSERT(sizeof(SRecvBuffer) == 4108, "SRecvBuffer layout is shared with callers");
TAMSIL_STATIC_ASSERT(offsetof(SRecvBuffer, readPos) == 4096, "SRecvBuffer layout");
TAMSIL_STATIC_ASSERT(offsetof(SRecvBuffer, count) == 4104, "SRecvBuffer layout");
TAMSIL_STATIC_ASSERT(sizeof(SApiResult) == 656, "SApiResult layout is shared with callers");
TAMSIL_STATIC_ASSERT(offsetof(SApiResult, type) == 4, "SApiResult layout");
TAMSIL_STATIC_ASSERT(offsetof(SApiResult, success) == 8, "SApiResult layout");
TAMSIL_STATIC_ASSERT(offsetof(SApiResult, textCount) == 12, "SApiResult layout");
TAMSIL_STATIC_ASSERT(offsetof(SApiResult, texts) == 16, "SApiResult layout");

/* Builds 0xFE, LEN, command (low byte first), payload, XOR checksum into out.
 * Returns the frame length, or -1 for a null out pointer or a length outside 0..250. */
TAMSIL_API int32_t _MakeAPISendFrame(const uint16_t* command, const uint8_t* payload, const int32_t* length,
                                     uint8_t* out);

/* Builds a remote AT request (0x6224) for node with the three mnemonic letters and
 * the value bytes (sent in reverse order). Returns 12 + valueLength, or -1 when a
 * pointer is null or the value is longer than 129 bytes. */
TAMSIL_API int32_t MakeAPISendFrameRemote(const uint16_t* node, const char* letters, const uint8_t* value,
                                          int32_t valueLength, uint8_t* out);

/* Cuts the next frame out of buffer into frame (at least 256 bytes).
 * Returns its length (> 0), 0 when a frame has started but is incomplete,
 * -1 when no frame start is left (the buffer is then emptied). A start with a bad checksum
 * costs only its 0xFE; an incomplete start gives way to a complete frame with a right
 * checksum behind it (the start was a stray 0xFE). */
TAMSIL_API int32_t ParseAPIFrame1(SRecvBuffer* buffer, uint8_t* frame);

/* Cuts and decodes the next frame; result is written only when the return is > 0. */
TAMSIL_API int32_t ParseAPIFrame(SRecvBuffer* buffer, SApiResult* result);

/* Decodes one complete frame into result. Always returns 0. */
TAMSIL_API int32_t ParseAPIFrame2(const uint8_t* frame, int32_t length, SApiResult* result);

/* Maps a packed mnemonic (first letter in the lowest byte) to its ParamType, else 0. */
TAMSIL_API int32_t _GetDataType(int32_t key);

#ifdef __cplusplus
}
#endif
#endif
