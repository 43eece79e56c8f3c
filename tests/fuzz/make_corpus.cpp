// Writes the fuzz seed corpus (tests/fuzz/corpus/): small modules that
// between them use every effect, both frequency tables, envelopes, 8- and
// 16-bit samples and every loop mode, plus a few broken ones.
// Usage: make_corpus DIRECTORY
#include "tests/music/xm_builder.h"

#include <cstdio>
#include <string>

namespace {

using namespace vorlane;
using namespace vorlane::test;

void write(const std::string& dir, const char* name, const std::vector<std::uint8_t>& bytes)
{
    std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

xm_module base(int channels)
{
    xm_module m;
    m.channels = channels;
    m.speed = 3;
    m.bpm = 125;
    m.patterns.push_back(empty_pattern(16, channels));
    xm_instrument ins = single_sample_instrument(square_sample(32));
    xm_sample ping = square_sample(48);
    ping.type = 2;
    ping.loop_start = 8;
    ping.loop_length = 30;
    xm_sample wide;
    wide.sixteen_bit = true;
    for (int i = 0; i < 300; ++i)
        wide.values.push_back(std::int16_t((i * 997) % 60000 - 30000));
    wide.relative_note = -12;
    wide.finetune = -40;
    ins.samples.push_back(ping);
    ins.samples.push_back(wide);
    for (int n = 0; n < 96; ++n)
        ins.keymap[n] = std::uint8_t(n % 3);
    ins.vol.points = {{0, 64}, {5, 20}, {9, 50}, {20, 0}};
    ins.vol.type = 7;
    ins.vol.sustain = 2;
    ins.vol.loop_start = 1;
    ins.vol.loop_end = 2;
    ins.pan.points = {{0, 0}, {6, 64}, {12, 32}};
    ins.pan.type = 5;
    ins.pan.loop_start = 0;
    ins.pan.loop_end = 2;
    ins.fadeout = 300;
    ins.vibrato_type = 2;
    ins.vibrato_depth = 6;
    ins.vibrato_sweep = 4;
    ins.vibrato_rate = 40;
    m.instruments.push_back(ins);
    m.instruments.push_back(xm_instrument{});
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus DIRECTORY\n");
        return 2;
    }
    std::string dir = argv[1];

    // Every effect number with a varied parameter, one per row and channel.
    for (int table = 0; table < 2; ++table) {
        xm_module m = base(4);
        m.flags = table;
        m.song_length = 3;
        m.orders = {0, 1, 2};
        m.patterns.push_back(empty_pattern(16, 4));
        m.patterns.push_back(empty_pattern(16, 4));
        for (int e = 0; e < 36; ++e) {
            int p = e / 16, row = e % 16;
            cell& c = m.patterns[std::size_t(p)].cells[std::size_t(row * 4 + e % 4)];
            c = {std::uint8_t(20 + e * 2), std::uint8_t(1 + e % 3), std::uint8_t(0x10 + e * 6),
                 std::uint8_t(e), std::uint8_t(e * 37 + 5)};
        }
        m.patterns[0].cells[15 * 4] = {note_key_off, 0, 0, 13, 0x12};
        write(dir, table ? "effects_linear.xm" : "effects_amiga.xm", build_xm(m));
    }

    // The volume column's every range on a held note.
    {
        xm_module m = base(2);
        for (int row = 0; row < 16; ++row)
            m.patterns[0].cells[std::size_t(row * 2)] = {std::uint8_t(row ? 0 : 49), std::uint8_t(row ? 0 : 1),
                                                         std::uint8_t(row * 16 + 3), 0, 0};
        write(dir, "volume_column.xm", build_xm(m));
    }

    // Jumps, breaks, tempo and a restart position.
    {
        xm_module m = base(3);
        m.song_length = 4;
        m.restart = 2;
        m.orders = {0, 1, 0, 2};
        m.patterns.push_back(empty_pattern(8, 3));
        m.patterns[0].cells[0] = {61, 1, 0, 15, 0};
        m.patterns[0].cells[1] = {62, 1, 0, 15, 200};
        m.patterns[0].cells[5 * 3] = {0, 0, 0, 13, 0x63};
        m.patterns[1].cells[2 * 3 + 2] = {0, 0, 0, 11, 9};
        write(dir, "jumps.xm", build_xm(m));
    }

    // Broken: truncated in the sample data, and a pattern with short data.
    {
        auto whole = build_xm(base(2));
        whole.resize(whole.size() - 100);
        write(dir, "truncated.xm", whole);
        xm_module m = base(2);
        m.patterns[0].cells[0] = {49, 1, 0, 0, 0};
        auto bytes = build_xm(m);
        bytes[60 + 276 + 7] = 1;  // packed size 1 of the pattern's 32 bytes
        write(dir, "short_pattern.xm", bytes);
    }
    return 0;
}
