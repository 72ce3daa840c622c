// Frame timing of an animated GIF. Delays are stored in hundredths of a second;
// browsers treat tiny delays as 100 ms, and so do we, so that a careless file
// cannot make the picture spin the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class GifTiming {
public:
    // Raw delays in 1/100 s, one per frame (missing entries take the last one, or 10).
    void set_delays(const std::vector<std::uint32_t>& centiseconds, int frame_count);
    int frame_count() const { return static_cast<int>(m_delays_ms.size()); }
    bool animated() const { return m_delays_ms.size() > 1; }
    // Delay of a frame in milliseconds (0 for a frame out of range).
    unsigned delay_ms(int frame) const;
    // The frame after `frame`, wrapping round.
    int next_frame(int frame) const;

private:
    std::vector<unsigned> m_delays_ms;
};
