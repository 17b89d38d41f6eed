/* Tamsil frame codec: build, cut and decode API frames. Keeps no state. */
#include "tamsil.h"

#include <stdio.h>
#include <string.h>

static uint8_t Xor(const uint8_t* p, int n) {
    uint8_t x = 0;
    for (int i = 0; i < n; ++i) x ^= p[i];
    return x;
}

int32_t _MakeAPISendFrame(const uint16_t* command, const uint8_t* payload, const int32_t* length,
                          uint8_t* out) {
    if (!out || !command || !length) return -1;
    int32_t len = *length;
    /* A frame carries at most 250 payload bytes; anything else would overrun the caller. */
    if (len < 0 || len > API_MAX_PAYLOAD || (len > 0 && !payload)) return -1;
    out[0] = 0xFE;
    out[1] = (uint8_t)len;
    out[2] = (uint8_t)(*command & 0xFF);
    out[3] = (uint8_t)(*command >> 8);
    if (len > 0) memcpy(out + 4, payload, (size_t)len);
    out[4 + len] = Xor(out + 1, len + 3);
    return len + 5;
}

int32_t MakeAPISendFrameRemote(const uint16_t* node, const char* letters, const uint8_t* value,
                               int32_t valueLength, uint8_t* out) {
    if (!node || !letters || !out) return -1;
    if (valueLength < 0 || valueLength > API_MAX_REMOTE_VALUE) return -1;
    uint8_t request[7 + API_MAX_REMOTE_VALUE];
    memset(request, 0, sizeof request);
    request[0] = (uint8_t)(*node & 0xFF);
    request[1] = (uint8_t)(*node >> 8);
    request[2] = 0x07;
    request[3] = 0x01;
    memcpy(request + 4, letters, 3);
    int32_t n = (value && valueLength != 0) ? valueLength : 0;
    for (int32_t i = 0; i < n; ++i) request[7 + i] = value[n - 1 - i];
    uint16_t command = 0x6224;
    int32_t len = 7 + n;
    return _MakeAPISendFrame(&command, request, &len, out);
}

/* A complete frame with a right checksum starts at data[at]. */
static int CompleteFrameAt(const SRecvBuffer* b, int32_t at) {
    if (b->data[at] != 0xFE || at + 1 >= b->writePos) return 0;
    int32_t len = b->data[at + 1];
    if (len > API_MAX_PAYLOAD || at + len + 5 > b->writePos) return 0;
    return Xor(b->data + at + 1, len + 3) == b->data[at + len + 4];
}

int32_t ParseAPIFrame1(SRecvBuffer* b, uint8_t* frame) {
    if (!b || !frame) return -1;
    /* Positions outside the data area are treated as an empty buffer. */
    if (b->writePos < 0 || b->writePos > RECV_BUFFER_SIZE || b->readPos < 0 || b->readPos > b->writePos) {
        memset(b, 0, sizeof *b);
        return -1;
    }
    while (b->readPos < b->writePos) {
        if (b->data[b->readPos] != 0xFE) {
            b->readPos++;
            continue;
        }
        int32_t keep = b->writePos - b->readPos;
        memmove(b->data, b->data + b->readPos, (size_t)keep);
        b->writePos = keep;
        b->readPos = 0;
        b->count = keep;
        if (b->writePos < 2) return 0;
        int32_t len = b->data[1];
        /* A length byte above 250 cannot start a valid frame: it is skipped like a bad checksum. */
        int32_t plausible = len <= API_MAX_PAYLOAD;
        if (plausible && b->writePos < len + 5) {
            /* An incomplete start may be a stray 0xFE with a plausible length byte: noise, or a
             * byte inside a frame whose checksum failed. A complete frame behind it is not kept
             * waiting for the bytes the stray claims, which may be the replies still to come. */
            int32_t at = 1;
            while (at < b->writePos && !CompleteFrameAt(b, at)) ++at;
            if (at == b->writePos) return 0;
            b->readPos = at;
            b->count = b->writePos - at;
            continue;
        }
        if (plausible && Xor(b->data + 1, len + 3) == b->data[len + 4]) {
            memcpy(frame, b->data, (size_t)(len + 5));
            int32_t rest = b->writePos - (len + 5);
            memmove(b->data, b->data + len + 5, (size_t)rest);
            memset(b->data + rest, 0, (size_t)(RECV_BUFFER_SIZE - rest));
            b->writePos = rest;
            b->count = rest;
            b->readPos = 0;
            return len + 5;
        }
        b->readPos = 1;
        b->count = b->writePos - 1;
    }
    memset(b, 0, sizeof *b);
    return -1;
}

static const struct {
    const char letters[4];
    int32_t code;
} kTypes[] = {
    {"IPR", 6},  {"PAR", 7},  {"STO", 8},  {"UFC", 9},  {"DBL", 10}, {"ECH", 11}, {"AST", 12}, {"CHA", 13},
    {"MID", 14}, {"TID", 15}, {"PID", 16}, {"TYP", 17}, {"NID", 18}, {"NCD", 19}, {"ITV", 20}, {"MOD", 21},
    {"SLE", 22}, {"STC", 23}, {"WTC", 24}, {"ENP", 25}, {"PRD", 26}, {"CDA", 27}, {"DM0", 28}, {"DM1", 29},
    {"DM2", 30}, {"DM3", 31}, {"DM4", 32}, {"DT0", 33}, {"DT1", 34}, {"DT2", 35}, {"DT3", 36}, {"DT4", 37},
    {"SEC", 38}, {"KEY", 39}, {"TLK", 40}, {"SAV", 41}, {"FAC", 42}, {"SRS", 43},
};

static int32_t Pack(const uint8_t* l) { return (int32_t)(l[0] | (l[1] << 8) | (l[2] << 16)); }

int32_t _GetDataType(int32_t key) {
    for (size_t i = 0; i < sizeof kTypes / sizeof kTypes[0]; ++i)
        if (Pack((const uint8_t*)kTypes[i].letters) == key) return kTypes[i].code;
    return 0;
}

static void AppendHex(char* text, const uint8_t* bytes, int n) {
    size_t used = strlen(text);
    for (int i = 0; i < n && used + 3 <= API_TEXT_SIZE; ++i, used += 2) snprintf(text + used, 3, "%02X", bytes[i]);
}

int32_t ParseAPIFrame2(const uint8_t* frame, int32_t length, SApiResult* r) {
    if (!frame || !r || length < 5) return 0;
    /* Work area: the frame without its checksum, bounded so no frame reads past it. */
    uint8_t work[API_MAX_FRAME];
    memset(work, 0, sizeof work);
    int32_t n = length - 1;
    if (n > (int32_t)sizeof work) n = (int32_t)sizeof work;
    memcpy(work, frame, (size_t)n);
    int32_t len = work[1];
    const uint8_t* payload = work + 4;
    r->command = (uint16_t)(work[2] | (work[3] << 8));
    r->type = 0;
    switch (r->command) {
    case 0x2C61:
        r->type = 43;
        r->success = payload[0] == 0;
        break;
    case 0x814D:
    case 0x834D:
    case 0x844D:
        r->success = payload[0] == 0;
        break;
    case 0x6244: {
        if (len < 7) break; /* too short to hold letters and status: nothing to decode */
        r->type = _GetDataType(Pack(payload + 3));
        r->success = payload[6] == 0;
        r->textCount = 1;
        if (len == 7) break;
        uint8_t value[16];
        memset(value, 0, sizeof value);
        int32_t vn = len - 7;
        if (vn > 16) vn = 16; /* at most 16 value bytes are decoded */
        memcpy(value, payload + 7, (size_t)vn);
        if (r->type == 14) AppendHex(r->texts[0], value, 8);
        else if (r->type == 39 || r->type == 40) AppendHex(r->texts[0], value, 16);
        else if (r->type >= 6 && r->type <= 38) snprintf(r->texts[0], API_TEXT_SIZE, "%d", value[0] * 256 + value[1]);
        else r->type = 0;
        break;
    }
    case 0x5D44: {
        uint8_t rec[12];
        memset(rec, 0, sizeof rec);
        int32_t rn = len < 12 ? len : 12;
        memcpy(rec, payload, (size_t)rn);
        r->textCount = 4;
        snprintf(r->texts[0], API_TEXT_SIZE, "%u", rec[0]);
        snprintf(r->texts[1], API_TEXT_SIZE, "%u", (unsigned)(rec[1] | (rec[2] << 8)));
        AppendHex(r->texts[2], rec + 3, 8);
        snprintf(r->texts[3], API_TEXT_SIZE, "%u", rec[11]);
        r->type = 44;
        break;
    }
    default:
        break;
    }
    return 0;
}

int32_t ParseAPIFrame(SRecvBuffer* buffer, SApiResult* result) {
    uint8_t frame[256];
    memset(frame, 0, sizeof frame);
    int32_t n = ParseAPIFrame1(buffer, frame);
    if (n > 0 && result) ParseAPIFrame2(frame, n, result);
    return n;
}
