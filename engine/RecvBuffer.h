#pragma once

#include "tamsil.h"

#include <string_view>

// SRecvBuffer (shared with Tamsil) helpers.
void ResetBuffer(SRecvBuffer& buffer);
// Appends n bytes (1..4096); a chunk that does not fit empties the buffer first.
void AppendChunk(SRecvBuffer& buffer, const void* bytes, int n);
// Consumes the first n unconsumed bytes (all of them empty the buffer).
void DropFront(SRecvBuffer& buffer, int n);
// The unconsumed text: read position up to write position.
std::string_view BufferText(const SRecvBuffer& buffer);
