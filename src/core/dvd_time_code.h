// Splitting a DVD time code (the platform's packed BCD record) into its nine digit fields.
#pragma once

#include <array>
#include <cstdint>

namespace wallcine {

// The record is laid out from the least significant bits: hours units and tens, minutes units
// and tens, seconds units and tens, frames units (each four bits), frames tens (two bits) and
// the frame-rate code (two bits: 1 = 25 fps, 3 = 30 fps). Field i is the i-th of these, so
// hours = f0 + 10 x f1, minutes = f2 + 10 x f3, and so on.
constexpr std::array<std::uint32_t, 9> UnpackDvdTimeCode(std::uint32_t code) noexcept {
    std::array<std::uint32_t, 9> fields{};
    for (int i = 0; i < 7; ++i) fields[i] = (code >> (4 * i)) & 0xFu;
    fields[7] = (code >> 28) & 0x3u;
    fields[8] = (code >> 30) & 0x3u;
    return fields;
}

}  // namespace wallcine
