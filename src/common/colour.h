// Colour values as the program passes them between its parts: a 32-bit number
// in one of two forms, told apart by the top byte:
//   top byte 0     -> 0x00BBGGRR, the Windows COLORREF order (0x00008B is dark red);
//   top byte not 0 -> 0xAARRGGBB with that alpha (0xFFB22222 is firebrick).
// White is 0xFFFFFFFF, or 0x00FFFFFF in the COLORREF form.
//
// A colour a part may leave unset ("no colour of its own": the state's or the
// list's colour shows) is an OptionalColour, so that no colour value ever stands
// for "none". The step list and the markup static take the mark 0x00FFFFFF for
// "none" on their public calls, as callers of those controls know them; they turn
// it into an empty OptionalColour at that edge (colour_from_mark).
// Portable: no Windows header.
#pragma once

#include <cstdint>
#include <optional>

using OptionalColour = std::optional<std::uint32_t>;

// The mark for "no colour of its own" on the step list's and markup static's calls.
inline constexpr std::uint32_t kNoColourMark = 0x00FFFFFFu;

constexpr OptionalColour colour_from_mark(std::uint32_t value)
{
    return value == kNoColourMark ? OptionalColour() : OptionalColour(value);
}

constexpr std::uint32_t mark_from_colour(OptionalColour colour)
{
    return colour.value_or(kNoColourMark);
}

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// Either form to its channels (a COLORREF is opaque).
constexpr Rgba colour_to_rgba(std::uint32_t value)
{
    Rgba rgba;
    if ((value >> 24) == 0) {
        rgba.r = value & 0xFF;
        rgba.g = (value >> 8) & 0xFF;
        rgba.b = (value >> 16) & 0xFF;
    } else {
        rgba.a = (value >> 24) & 0xFF;
        rgba.r = (value >> 16) & 0xFF;
        rgba.g = (value >> 8) & 0xFF;
        rgba.b = value & 0xFF;
    }
    return rgba;
}

// Either form to 0x00BBGGRR, alpha dropped: what GDI takes.
constexpr std::uint32_t colorref_from_colour(std::uint32_t value)
{
    const Rgba rgba = colour_to_rgba(value);
    return rgba.r | (rgba.g << 8) | (static_cast<std::uint32_t>(rgba.b) << 16);
}

// 0x00BBGGRR -> opaque 0xFFRRGGBB.
constexpr std::uint32_t argb(std::uint32_t colorref)
{
    return 0xFF000000u | ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

// Opaque 0xAARRGGBB -> 0x00BBGGRR.
constexpr std::uint32_t colorref_from_argb(std::uint32_t value)
{
    return ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16);
}
