// A plain reader of the XM layout for the song tests, written apart from
// the generator's writer so that a fault in one does not hide in the other.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorlane::test {

struct xm_cell_read {
    int note = 0;
    int instrument = 0;
    int volume = 0;
    int effect = 0;
    int param = 0;
};

struct xm_sample_read {
    std::uint32_t length = 0;  // bytes
    std::uint32_t loop_start = 0;
    std::uint32_t loop_length = 0;
    int volume = 0;
    int type = 0;
    int pan = 0;
    int relative_note = 0;
    std::vector<std::int8_t> pcm;  // delta coding undone
};

struct xm_instrument_read {
    int sample_count = 0;
    std::uint8_t keymap[96] = {};
    int envelope_ticks[12] = {};
    int envelope_values[12] = {};
    int volume_points = 0;
    int volume_sustain = 0;
    int volume_type = 0;
    int vibrato_type = 0;
    int vibrato_sweep = 0;
    int vibrato_depth = 0;
    int vibrato_rate = 0;
    int fadeout = 0;
    std::vector<xm_sample_read> samples;
};

struct xm_read {
    bool ok = false;
    std::string id;
    std::uint32_t header_size = 0;
    int song_length = 0;
    int restart = 0;
    int channels = 0;
    int pattern_count = 0;
    int instrument_count = 0;
    int flags = 0;
    int speed = 0;
    int bpm = 0;
    std::uint8_t orders[256] = {};
    std::vector<int> pattern_rows;
    std::vector<std::vector<xm_cell_read>> patterns;  // rows x channels
    std::vector<xm_instrument_read> instruments;
    std::size_t consumed = 0;  // bytes the layout accounts for

    const xm_cell_read& cell(int pattern, int row, int channel) const
    {
        return patterns[pattern][row * channels + channel];
    }
};

class byte_cursor {
public:
    explicit byte_cursor(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    bool failed = false;
    std::size_t pos = 0;

    int u8()
    {
        if (pos >= bytes_.size()) {
            failed = true;
            return 0;
        }
        return bytes_[pos++];
    }
    int u16() { int lo = u8(); return lo | (u8() << 8); }
    std::uint32_t u32()
    {
        std::uint32_t lo = static_cast<std::uint32_t>(u16());
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    void skip(std::size_t n)
    {
        if (n > bytes_.size() - std::min(pos, bytes_.size()))
            failed = true;
        pos += n;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
};

inline std::vector<std::uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline xm_read parse_xm(const std::vector<std::uint8_t>& bytes)
{
    xm_read x;
    byte_cursor c(bytes);
    for (int i = 0; i < 17; ++i)
        x.id.push_back(static_cast<char>(c.u8()));
    c.pos = 60;
    x.header_size = c.u32();
    x.song_length = c.u16();
    x.restart = c.u16();
    x.channels = c.u16();
    x.pattern_count = c.u16();
    x.instrument_count = c.u16();
    x.flags = c.u16();
    x.speed = c.u16();
    x.bpm = c.u16();
    for (std::uint8_t& o : x.orders)
        o = static_cast<std::uint8_t>(c.u8());
    c.pos = 60 + x.header_size;

    for (int p = 0; p < x.pattern_count && !c.failed; ++p) {
        std::uint32_t header = c.u32();
        c.u8();
        int rows = c.u16();
        int packed = c.u16();
        c.pos += header - 9;
        std::size_t end = c.pos + packed;
        std::vector<xm_cell_read> cells(static_cast<std::size_t>(rows) * x.channels);
        for (xm_cell_read& cell : cells) {
            if (packed == 0)
                break;
            int b = c.u8();
            int fields[5] = {};
            if (b & 0x80) {
                for (int k = 0; k < 5; ++k)
                    if (b & (1 << k))
                        fields[k] = c.u8();
            } else {
                fields[0] = b;
                for (int k = 1; k < 5; ++k)
                    fields[k] = c.u8();
            }
            cell = {fields[0], fields[1], fields[2], fields[3], fields[4]};
        }
        if (c.pos != end)
            c.failed = true;  // the cells must fill the packed size exactly
        x.pattern_rows.push_back(rows);
        x.patterns.push_back(std::move(cells));
    }

    for (int i = 0; i < x.instrument_count && !c.failed; ++i) {
        xm_instrument_read ins;
        std::size_t start = c.pos;
        std::uint32_t size = c.u32();
        c.skip(23);
        ins.sample_count = c.u16();
        if (ins.sample_count > 0) {
            c.u32();
            for (std::uint8_t& k : ins.keymap)
                k = static_cast<std::uint8_t>(c.u8());
            for (int p = 0; p < 12; ++p) {
                ins.envelope_ticks[p] = c.u16();
                ins.envelope_values[p] = c.u16();
            }
            c.skip(48);
            ins.volume_points = c.u8();
            c.u8();
            ins.volume_sustain = c.u8();
            c.skip(5);
            ins.volume_type = c.u8();
            c.u8();
            ins.vibrato_type = c.u8();
            ins.vibrato_sweep = c.u8();
            ins.vibrato_depth = c.u8();
            ins.vibrato_rate = c.u8();
            ins.fadeout = c.u16();
        }
        c.pos = start + size;
        for (int s = 0; s < ins.sample_count; ++s) {
            xm_sample_read smp;
            smp.length = c.u32();
            smp.loop_start = c.u32();
            smp.loop_length = c.u32();
            smp.volume = c.u8();
            c.u8();
            smp.type = c.u8();
            smp.pan = c.u8();
            smp.relative_note = static_cast<std::int8_t>(c.u8());
            c.skip(23);
            ins.samples.push_back(smp);
        }
        for (xm_sample_read& smp : ins.samples) {
            std::int8_t value = 0;
            for (std::uint32_t k = 0; k < smp.length; ++k) {
                value = static_cast<std::int8_t>(value + c.u8());
                smp.pcm.push_back(value);
            }
        }
        x.instruments.push_back(std::move(ins));
    }
    x.consumed = c.pos;
    x.ok = !c.failed && x.consumed <= bytes.size();
    return x;
}

}  // namespace vorlane::test
