#pragma once
// The byte comparison of the capture path: rows of a picture against the ones before them (the encoder's
// unchanged rows, the colour reduction's remembered rows).

#include <cstddef>
#include <cstdint>

// True when the first count bytes of a and b are equal; sixteen at a time where the processor can.
bool KvBytesEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t count);
