// Splitting a packed DVD time code into its nine bit fields.
#pragma once

#include <array>
#include <cstdint>

namespace wallcine {

// Fields 0..6 are the seven nibbles from the top (bits 28-31, 24-27, ...,
// 4-7); field 7 is bits 2-3 and field 8 is bits 0-1.
constexpr std::array<std::uint32_t, 9> UnpackDvdTimeCode(std::uint32_t code) noexcept {
    std::array<std::uint32_t, 9> fields{};
    for (int i = 0; i < 7; ++i) fields[i] = (code >> (28 - 4 * i)) & 0xFu;
    fields[7] = (code >> 2) & 0x3u;
    fields[8] = code & 0x3u;
    return fields;
}

}  // namespace wallcine
